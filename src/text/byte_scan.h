// Word-at-a-time scans for the long ASCII stretches of mostly-ASCII text, so
// that detection and conversion run near memory speed there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

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

// First index at or after `i` whose byte is at or above 0x80; `n` if none.
inline std::size_t SkipAscii(const unsigned char* p, std::size_t i, std::size_t n) {
    using namespace scan_detail;
    while (i + 8 <= n && (Load8(p + i) & kHighBits) == 0) i += 8;
    while (i < n && p[i] < 0x80) ++i;
    return i;
}

// First index at or after `i` whose byte is not plain text for detection: below
// 0x08, ESC, or at or above 0x80; `n` if none.
inline std::size_t SkipPlainText(const unsigned char* p, std::size_t i, std::size_t n) {
    using namespace scan_detail;
    while (i + 8 <= n) {
        const std::uint64_t w = Load8(p + i);
        if ((w & kHighBits) != 0 || HasByteBelow(w, 0x08) || HasByte(w, 0x1B)) break;
        i += 8;
    }
    while (i < n && p[i] >= 0x08 && p[i] < 0x80 && p[i] != 0x1B) ++i;
    return i;
}

// First index at or after `i` whose byte is `a` or `b` (any values); `n` if none.
inline std::size_t FindEitherByte(const unsigned char* p, std::size_t i, std::size_t n,
                                  unsigned char a, unsigned char b) {
    using namespace scan_detail;
    while (i + 8 <= n) {
        const std::uint64_t w = Load8(p + i);
        if (HasByte(w, a) || HasByte(w, b)) break;
        i += 8;
    }
    while (i < n && p[i] != a && p[i] != b) ++i;
    return i;
}

}  // namespace drwa::text
