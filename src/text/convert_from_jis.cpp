// ISO-2022-JP to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <string_view>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/jis_tables.h"
#include "text/output_buffer.h"

namespace drwa::text {
namespace {

constexpr unsigned char kEsc = 0x1B;

// Reads ISO-2022-JP loosely, as mail from every kind of sender arrives: ESC $
// and any byte enters double-byte mode (JIS X 0208 in its 1978 and 1983
// editions alike), ESC ( and any byte leaves it, any other escape sequence is
// dropped without a change of mode. A truncated sequence is consumed as far
// as it goes. Returns the index after the sequence at `i`.
inline std::size_t SkipEscape(const unsigned char* p, std::size_t i, std::size_t n,
                              bool& double_byte) {
    if (i + 1 < n) {
        if (p[i + 1] == '$') double_byte = true;
        if (p[i + 1] == '(') double_byte = false;
    }
    return std::min(i + 3, n);
}

}  // namespace

std::string Iso2022JpToShiftJis(std::string_view jis) {
    const auto* p = reinterpret_cast<const unsigned char*>(jis.data());
    const std::size_t n = jis.size();
    OutputBuffer out(n + 16);
    bool double_byte = false;
    bool ended = false;  // a NUL was reached: the Shift_JIS text ends there
    std::size_t i = 0;
    while (i < n && !ended) {
        const std::size_t limit = std::min(n, i + kConversionChunk);
        // Never longer than the input: escapes vanish, pairs stay pairs.
        unsigned char* w = out.Room(limit - i + kConversionSlack);
        while (i < limit) {
            const unsigned b = p[i];
            if (b == kEsc) {
                i = SkipEscape(p, i, n, double_byte);
            } else if (double_byte) {
                const unsigned trail = i + 1 < n ? p[i + 1] : 0;
                const BytePair s = kJisTables.ToShiftJis(b, trail);
                i += 2;
                // The result ends at its first NUL, wherever that comes from:
                // callers hand it on as a C string.
                if (s.first == 0) {
                    ended = true;
                    break;
                }
                *w++ = s.first;
                if (s.second == 0) {
                    ended = true;
                    break;
                }
                *w++ = s.second;
            } else {
                // Single-byte mode copies every byte, those at or above 0x80
                // too, up to the next escape.
                i = CopyUntilEither(p, i, limit, w, kEsc, 0);
                if (i < limit && p[i] == 0) {
                    ended = true;
                    break;
                }
            }
        }
        out.Commit(w);
    }
    return out.Take();
}

std::string Iso2022JpToEucJp(std::string_view jis) {
    const auto* p = reinterpret_cast<const unsigned char*>(jis.data());
    const std::size_t n = jis.size();
    OutputBuffer out(n + 16);
    bool double_byte = false;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t limit = std::min(n, i + kConversionChunk);
        unsigned char* w = out.Room(limit - i + kConversionSlack);
        while (i < limit) {
            const unsigned b = p[i];
            if (b == kEsc) {
                i = SkipEscape(p, i, n, double_byte);
            } else if (double_byte) {
                // Byte by byte: JIS bytes 0x21..0x7E gain the high bit,
                // anything else (a stray line end) passes unchanged.
                *w++ = static_cast<unsigned char>(b >= 0x21 && b <= 0x7E ? b | 0x80 : b);
                i += 1;
            } else {
                i = CopyUntilEither(p, i, limit, w, kEsc, kEsc);
            }
        }
        out.Commit(w);
    }
    return out.Take();
}

}  // namespace drwa::text
