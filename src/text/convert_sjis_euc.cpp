// EUC-JP to Shift_JIS and back.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/jis_arithmetic.h"
#include "text/jis_tables.h"
#include "text/output_buffer.h"

namespace drwa::text {
namespace {

// Converts the characters starting before `end` one by one (at least one byte
// must follow `end`); returns the index after the last one.
std::size_t EucBlockByteWise(const unsigned char* p, std::size_t i, std::size_t end,
                             unsigned char*& w) {
    while (i < end) {
        const unsigned b = p[i];
        if (b <= 0x80 || b == 0xFF) {
            *w++ = static_cast<unsigned char>(b);
            i += 1;
        } else if (b == kEucKanaPrefix) {
            *w++ = p[i + 1];
            i += 2;
        } else {
            const std::uint16_t sjis = kJisToShiftJisPairs[JisPairIndex(b, p[i + 1])];
            std::memcpy(w, &sjis, 2);
            w += 2;
            i += 2;
        }
    }
    return i;
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
        // Blocks of 64 bytes: the output has the input's length (pairs stay
        // pairs), so the block is copied whole and its pairs, found from the
        // high bits alone, are overwritten in place. Nothing waits on the
        // length of the character before. A pair cut by the block's end
        // starts the next block, so one byte must follow each block.
        while (i + 65 <= limit) {
            const std::uint64_t high = HighBitMask64(p + i);
            std::memcpy(w, p + i, 64);
            const std::uint64_t pairs = PairStarts(high);
            if ((pairs & ByteMask64(p + i, 0x80, 0xFF, kEucKanaPrefix)) != 0) [[unlikely]] {
                // 0x80, 0xFF or a katakana prefix where a pair would start:
                // the character lengths change, the block goes byte-wise.
                i = EucBlockByteWise(p, i, i + 64, w);
                continue;
            }
            for (std::uint64_t m = pairs; m != 0; m &= m - 1) {
                const int k = std::countr_zero(m);
                const std::uint16_t sjis =
                    kJisToShiftJisPairs[JisPairIndex(p[i + k], p[i + k + 1])];
                std::memcpy(w + k, &sjis, 2);
            }
            const std::size_t advance = 64 - static_cast<std::size_t>(pairs >> 63);
            w += advance;
            i += advance;
        }
        while (i < limit) {
            const unsigned b = p[i];
            if (b <= 0x80 || b == 0xFF) {
                // No EUC-JP character starts at 0x80 or 0xFF: kept as they are.
                *w++ = static_cast<unsigned char>(b);
                i += 1;
            } else if (b == kEucKanaPrefix) {
                // Half-width katakana lose their prefix; at the very end there
                // is nothing to write.
                if (i + 1 < n) *w++ = p[i + 1];
                i += 2;
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
                const BytePair s = NecTwin(b, ByteAt(p, i + 1, n));
                const BytePair j = kJisTables.ToJis(s.first, s.second);
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
