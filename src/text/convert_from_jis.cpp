// ISO-2022-JP to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/jis_arithmetic.h"
#include "text/jis_tables.h"
#include "text/output_buffer.h"

namespace drwa::text {
namespace {

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

// The Shift_JIS bytes of the four JIS pairs at `p` (high bits ignored) to `w`.
inline void ConvertFourPairs(const unsigned char* p, unsigned char* w) {
    const std::uint64_t word = scan_detail::Load8(p);
    // Little-endian: the first byte is the lowest.
    auto put = [&](int q) {
        const unsigned j1 = static_cast<unsigned>(word >> (16 * q)) & 0x7F;
        const unsigned j2 = static_cast<unsigned>(word >> (16 * q + 8)) & 0x7F;
        const std::uint16_t sjis = kJisToShiftJisPairs[j1 << 7 | j2];
        std::memcpy(w + 2 * q, &sjis, 2);
    };
    put(0);
    put(1);
    put(2);
    put(3);
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
        ConvertFourPairs(p + i + done, w + done);
        done += valid & ~std::size_t{1};
        if (valid < 8) break;
    }
    return done;
}

// Bits k..end-1 of a 64-bit block mask (end at most 64).
constexpr std::uint64_t BitRange(std::size_t k, std::size_t end) {
    const std::uint64_t below_end = end >= 64 ? ~0ULL : (1ULL << end) - 1;
    return below_end & (~0ULL << k);
}

// Converts the 64-byte block at `i` segment by segment: the escapes are found
// for the whole block at once, so the segments between them cost no search,
// and each segment is copied or converted eight or sixteen bytes at a time
// (most are shorter). Stops early, with everything before committed, where
// the byte-wise path must decide: a NUL in single-byte mode, a byte at or
// above 0x80 or a pair cut by an escape in double-byte mode. Returns whether
// the whole block was done. Reads and writes up to 16 bytes past the block.
bool ConvertJisBlock(const unsigned char* p, std::size_t& i, unsigned char*& w, bool& double_byte) {
    const unsigned char* block = p + i;
    const std::uint64_t escapes = ByteMask64(block, kEsc, kEsc, kEsc);
    const std::uint64_t high = HighBitMask64(block);
    const std::uint64_t nul = ByteMask64(block, 0, 0, 0);
    std::size_t k = 0;
    bool whole = true;
    while (k < 64) {
        const std::uint64_t ahead = escapes & (~0ULL << k);
        const std::size_t end = ahead != 0 ? std::countr_zero(ahead) : 64;
        const std::size_t length = end - k;
        if (double_byte) {
            // A segment running past the block leaves its odd byte for the
            // next block; one cut by an escape pairs with the escape.
            const std::size_t pairs = length & ~std::size_t{1};
            if ((high & BitRange(k, end)) != 0 || (length != pairs && end < 64)) {
                whole = false;
                break;
            }
            for (std::size_t q = 0; q < pairs; q += 8) ConvertFourPairs(block + k + q, w + q);
            w += pairs;
            k += pairs;
        } else {
            if ((nul & BitRange(k, end)) != 0) {
                whole = false;
                break;
            }
            for (std::size_t q = 0; q < length; q += 16) std::memcpy(w + q, block + k + q, 16);
            w += length;
            k += length;
        }
        if (end == 64) break;
        // The escape sequence at `end`: its bytes may run past the block.
        if (block[end + 1] == '$') double_byte = true;
        if (block[end + 1] == '(') double_byte = false;
        k = end + 3;
    }
    i += k;
    return whole && k >= 63;
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
            // Whole blocks where 16 bytes of the chunk follow them.
            if (i + 80 <= limit && ConvertJisBlock(p, i, w, double_byte)) continue;
            if (i >= limit) break;
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
