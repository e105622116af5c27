// Byte classes of Shift_JIS (CP932). Every scan of CP932 text that looks for an
// ASCII byte must skip trail bytes: 0x40..0x7E and 0x80..0xFC can follow a lead
// byte, so "\" (0x5C) and the ASCII letters appear inside double-byte characters.
#pragma once

#include <cstddef>
#include <string_view>

namespace drwa::text {

constexpr bool IsSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

constexpr bool IsSjisTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Length in bytes of the character starting at s[i]: 2 for a lead byte that has
// a byte after it, else 1. A lead byte at the very end counts as one byte.
constexpr std::size_t SjisCharLength(std::string_view s, std::size_t i) {
    return (IsSjisLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size()) ? 2 : 1;
}

// Position of the last occurrence of `c` (an ASCII byte) that is a character of
// its own, not the trail byte of a double-byte character; npos if none.
constexpr std::size_t FindLastSjisChar(std::string_view s, char c) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < s.size(); i += SjisCharLength(s, i)) {
        if (s[i] == c) found = i;
    }
    return found;
}

// Largest length <= max that does not cut a double-byte character in two.
constexpr std::size_t SjisSafeCut(std::string_view s, std::size_t max) {
    if (s.size() <= max) return s.size();
    std::size_t i = 0;
    while (i < max) {
        std::size_t n = SjisCharLength(s, i);
        if (i + n > max) break;
        i += n;
    }
    return i;
}

}  // namespace drwa::text
