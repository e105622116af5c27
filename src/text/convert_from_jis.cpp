// ISO-2022-JP to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
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

// Converts the whole pairs of 7-bit bytes at `i` (before `end`) four at a time
// and returns how many bytes it converted, writing their Shift_JIS bytes at
// `w` (eight bytes are stored per step). It stops before an escape, before a
// byte at or above 0x80 and before a pair cut by an escape: those are left to
// the byte-wise path. Reads up to eight bytes past `end`.
std::size_t ConvertPairRun(const unsigned char* p, std::size_t i, std::size_t end,
                           unsigned char* w) {
    std::size_t done = 0;
    while (i + done < end) {
        const std::uint64_t word = scan_detail::Load8(p + i + done);
        const std::uint64_t escapes = scan_detail::HasByte(word, kEsc);
        const std::size_t valid = escapes != 0 ? std::countr_zero(escapes) / 8 : 8;
        const std::uint64_t valid_bits = valid == 8 ? ~0ULL : (1ULL << (8 * valid)) - 1;
        if ((word & scan_detail::kHighBits & valid_bits) != 0) break;
        // The pairs come out of the word already loaded (little-endian: the
        // first byte is the lowest).
        auto put = [&](int q) {
            const unsigned j1 = static_cast<unsigned>(word >> (16 * q)) & 0x7F;
            const unsigned j2 = static_cast<unsigned>(word >> (16 * q + 8)) & 0x7F;
            const std::uint16_t sjis = kJisToShiftJisPairs[j1 << 7 | j2];
            std::memcpy(w + done + 2 * q, &sjis, 2);
        };
        put(0);
        put(1);
        put(2);
        put(3);
        done += valid & ~std::size_t{1};
        if (valid < 8) break;
    }
    return done;
}

}  // namespace

std::string Iso2022JpToShiftJis(std::string_view jis) {
    const auto* p = reinterpret_cast<const unsigned char*>(jis.data());
    const std::size_t n = jis.size();
    OutputBuffer out(n + 16);
    bool double_byte = false;
    bool ended = false;  // a NUL was reached: the Shift_JIS text ends there
    // Runs of pairs are converted a word at a time, reading ahead.
    const std::size_t fast_end = n > 8 ? n - 8 : 0;
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
                if (i < fast_end) {
                    const std::size_t converted =
                        ConvertPairRun(p, i, std::min(limit, fast_end), w);
                    w += converted;
                    i += converted;
                    if (converted != 0) continue;
                }
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
