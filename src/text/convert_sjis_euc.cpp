// EUC-JP to Shift_JIS and back.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/jis_tables.h"
#include "text/output_buffer.h"

namespace drwa::text {
namespace {

constexpr unsigned kEucKanaPrefix = 0x8E;

// Bytes at or above 0x80 that start no pair: 0x80 and 0xFF stay as they are,
// 0x8E prefixes a half-width katakana.
constexpr std::array<bool, 256> kEucSpecial = [] {
    std::array<bool, 256> table{};
    table[0x80] = table[0xFF] = table[kEucKanaPrefix] = true;
    return table;
}();

// The byte at `i`, or 0 when the text ends before it: a lead byte at the very
// end is converted with a trail byte of 0 instead of a read past the end.
inline unsigned ByteAt(const unsigned char* p, std::size_t i, std::size_t n) {
    return i < n ? p[i] : 0;
}

}  // namespace

std::string EucJpToShiftJis(std::string_view euc) {
    const auto* p = reinterpret_cast<const unsigned char*>(euc.data());
    const std::size_t n = euc.size();
    OutputBuffer out(n + 16);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t limit = std::min(n, i + kConversionChunk);
        // Never longer than the input.
        unsigned char* w = out.Room(limit - i + kConversionSlack);
        // Blocks of 64 bytes whose high bits are known beforehand: whether a
        // byte starts a pair is then a bit of a register, not a load the next
        // step must wait for. A block may end inside a pair: its trail byte
        // is read from the next block, which is why one byte must follow.
        while (i + 65 <= limit) {
            const std::uint64_t high = HighBitMask64(p + i);
            if (high == 0) {
                std::memcpy(w, p + i, 64);
                w += 64;
                i += 64;
                continue;
            }
            std::size_t k = 0;
            while (k < 64) {
                const unsigned b = p[i + k];
                if (kEucSpecial[b]) [[unlikely]] {
                    // Kept as it is, or a half-width katakana without its prefix.
                    const bool kana = b == kEucKanaPrefix;
                    *w++ = static_cast<unsigned char>(kana ? p[i + k + 1] : b);
                    k += kana ? 2 : 1;
                    continue;
                }
                // An ASCII byte or a pair, without a branch between the two:
                // on Japanese text they alternate at random. Two bytes are
                // written either way; a single byte's second is overwritten
                // next.
                const std::size_t pair = (high >> k) & 1;
                const std::uint16_t sjis = kJisToShiftJisPairs[JisPairIndex(b, p[i + k + 1])];
                const std::uint16_t bytes = pair != 0 ? sjis : static_cast<std::uint16_t>(b);
                std::memcpy(w, &bytes, 2);
                w += 1 + pair;
                k += 1 + pair;
            }
            i += k;
        }
        while (i < limit) {
            const unsigned b = p[i];
            if (b < 0x80 || b == 0xFF) {
                // No EUC-JP character starts at 0x80 or 0xFF: kept as they are.
                *w++ = static_cast<unsigned char>(b);
                i += 1;
            } else if (b == kEucKanaPrefix) {
                // Half-width katakana lose their prefix; at the very end there
                // is nothing to write.
                if (i + 1 < n) *w++ = p[i + 1];
                i += 2;
            } else if (b == 0x80) {
                *w++ = static_cast<unsigned char>(b);
                i += 1;
            } else {
                const BytePair s = kJisTables.ToShiftJis(b & 0x7F, ByteAt(p, i + 1, n) & 0x7F);
                w[0] = s.first;
                w[1] = s.second;
                w += 2;
                i += 2;
            }
        }
        out.Commit(w);
    }
    return out.Take();
}

std::string ShiftJisToEucJp(std::string_view sjis) {
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const std::size_t n = sjis.size();
    OutputBuffer out(n + n / 16 + 16);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t limit = std::min(n, i + kConversionChunk);
        // Half-width katakana double in size.
        unsigned char* w = out.Room(2 * (limit - i) + kConversionSlack);
        while (i < limit) {
            const unsigned b = p[i];
            if (b < 0x80) {
                i = CopyAscii(p, i, limit, w);
            } else if (IsHalfWidthKatakana(b)) {
                w[0] = kEucKanaPrefix;
                w[1] = static_cast<unsigned char>(b);
                w += 2;
                i += 1;
            } else {
                const BytePair j = kJisTables.ToJis(b, ByteAt(p, i + 1, n));
                w[0] = j.first | 0x80;
                w[1] = j.second | 0x80;
                w += 2;
                i += 2;
            }
        }
        out.Commit(w);
    }
    return out.Take();
}

}  // namespace drwa::text
