// Word-at-a-time scans for the long ASCII stretches of mostly-ASCII text, so
// that detection and conversion run near memory speed there.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

static_assert(std::endian::native == std::endian::little,
              "word scans read bytes in little-endian order");

namespace drwa::text {

namespace scan_detail {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Non-zero when some byte of `w` (all below 0x80) is below `n` (at most 0x80).
constexpr std::uint64_t HasByteBelow(std::uint64_t w, unsigned n) {
    return (w - kOnes * n) & ~w & kHighBits;
}

// Exact for any byte values: a zero byte of w ^ bbbb... is a byte equal to b.
constexpr std::uint64_t HasByte(std::uint64_t w, unsigned char b) {
    return HasByteBelow(w ^ (kOnes * b), 1);
}

}  // namespace scan_detail

// First index at or after `i` whose byte is not plain text for detection: below
// 0x08, ESC, or at or above 0x80; `n` if none.
inline std::size_t SkipPlainText(const unsigned char* p, std::size_t i, std::size_t n) {
    using namespace scan_detail;
    // One test per word: a byte at or above 0x80 sets its high bit itself; a
    // byte below 0x08, or ESC, borrows in the subtraction and sets one too.
    // Without such bytes nothing borrows, so the test has no false alarms.
    auto plain = [](std::uint64_t w) {
        return ((w | (w - kOnes * 0x08) | ((w ^ (kOnes * 0x1B)) - kOnes)) & kHighBits) == 0;
    };
    while (i + 16 <= n && plain(Load8(p + i)) && plain(Load8(p + i + 8))) i += 16;
    while (i + 8 <= n && plain(Load8(p + i))) i += 8;
    while (i < n && p[i] >= 0x08 && p[i] < 0x80 && p[i] != 0x1B) ++i;
    return i;
}

// Bit k set when byte k of the 64 bytes at `p` is at or above 0x80.
inline std::uint64_t HighBitMask64(const unsigned char* p) {
#if defined(__SSE2__)
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v)))
                << (16 * part);
    }
    return mask;
#else
    using namespace scan_detail;
    std::uint64_t mask = 0;
    for (int word = 0; word < 8; ++word) {
        // Gathers the eight high bits into one byte, byte 0's bit lowest.
        const std::uint64_t high = (Load8(p + 8 * word) & kHighBits) >> 7;
        mask |= ((high * 0x0102040810204080ULL) >> 56) << (8 * word);
    }
    return mask;
#endif
}

// Bit k set when byte k of the 64 bytes at `p` is `a`, `b` or `c`.
inline std::uint64_t ByteMask64(const unsigned char* p, unsigned char a, unsigned char b,
                                unsigned char c) {
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi8(static_cast<char>(a));
    const __m128i vb = _mm_set1_epi8(static_cast<char>(b));
    const __m128i vc = _mm_set1_epi8(static_cast<char>(c));
    std::uint64_t mask = 0;
    for (int part = 0; part < 4; ++part) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
        const __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, va), _mm_cmpeq_epi8(v, vb)),
                                         _mm_cmpeq_epi8(v, vc));
        mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit)))
                << (16 * part);
    }
    return mask;
#else
    std::uint64_t mask = 0;
    for (int k = 0; k < 64; ++k) {
        mask |= static_cast<std::uint64_t>(p[k] == a || p[k] == b || p[k] == c) << k;
    }
    return mask;
#endif
}

// Where the pairs start in a block of EUC-JP text that begins on a character
// boundary, given its high-bit mask: each run of high bytes is a row of pairs
// from its first byte on (an odd run's last pair takes the byte after it).
// Bit positions are even or odd counted from the run's start; adding a run's
// start bit ripples a carry through the whole run and clears it, which sorts
// the runs by the parity of their start without a loop.
constexpr std::uint64_t PairStarts(std::uint64_t high) {
    constexpr std::uint64_t kEvenBits = 0x5555555555555555ULL;
    const std::uint64_t starts = high & ~(high << 1);
    const std::uint64_t odd_start_runs = (high + (starts & kEvenBits)) & high;
    const std::uint64_t even_start_runs = high & ~odd_start_runs;
    return (even_start_runs & kEvenBits) | (odd_start_runs & ~kEvenBits);
}

// Copies the bytes below 0x80 from `i` on, up to `end`, to `w` (moved on);
// returns the index of the first byte not copied. Whole words are stored, so
// `w` needs 8 bytes of room beyond what is copied.
inline std::size_t CopyAscii(const unsigned char* p, std::size_t i, std::size_t end,
                             unsigned char*& w) {
    using namespace scan_detail;
    while (i + 8 <= end) {
        const std::uint64_t word = Load8(p + i);
        std::memcpy(w, &word, 8);
        if (const std::uint64_t high = word & kHighBits; high != 0) {
            // Little-endian: the lowest set bit belongs to the first byte.
            const auto ascii = static_cast<std::size_t>(std::countr_zero(high) / 8);
            w += ascii;
            return i + ascii;
        }
        w += 8;
        i += 8;
    }
    while (i < end && p[i] < 0x80) *w++ = p[i++];
    return i;
}

// Copies the bytes from `i` on, up to `end` or the first byte equal to `a` or
// `b`, to `w` (moved on); returns the index of the first byte not copied. Whole
// words are stored, so `w` needs 8 bytes of room beyond what is copied.
inline std::size_t CopyUntilEither(const unsigned char* p, std::size_t i, std::size_t end,
                                   unsigned char*& w, unsigned char a, unsigned char b) {
    using namespace scan_detail;
    while (i + 8 <= end) {
        const std::uint64_t word = Load8(p + i);
        std::memcpy(w, &word, 8);
        // The lowest flagged byte is always a true match (only bytes above a
        // match can be flagged falsely).
        if (const std::uint64_t found = HasByte(word, a) | HasByte(word, b); found != 0) {
            const auto copied = static_cast<std::size_t>(std::countr_zero(found) / 8);
            w += copied;
            return i + copied;
        }
        w += 8;
        i += 8;
    }
    while (i < end && p[i] != a && p[i] != b) *w++ = p[i++];
    return i;
}

}  // namespace drwa::text
