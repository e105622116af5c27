#include "text/text_search.h"

#include <array>
#include <string>

#include "text/sjis_bytes.h"

namespace drwa::text {
namespace {

// Code page 932 upper-cases the ASCII letters only: its other single bytes are
// symbols and half-width katakana.
constexpr std::array<unsigned char, 256> kUpperByte = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        table[b] = static_cast<unsigned char>(b >= 'a' && b <= 'z' ? b - 'a' + 'A' : b);
    }
    return table;
}();

// Full-width ａ..ｚ (0x82 0x81..0x9A) to Ａ..Ｚ (0x82 0x60..0x79), indexed by the
// second byte; 0 where the character is no small letter.
constexpr unsigned char kWideLead = 0x82;
constexpr std::array<unsigned char, 256> kUpperWideLetter = [] {
    std::array<unsigned char, 256> table{};
    for (unsigned b = 0x81; b <= 0x9A; ++b) table[b] = static_cast<unsigned char>(b - 0x81 + 0x60);
    return table;
}();

// The second byte of the upper-case form of the double-byte character.
unsigned char UpperSecond(unsigned char lead, unsigned char trail) {
    if (lead == kWideLead && kUpperWideLetter[trail] != 0) return kUpperWideLetter[trail];
    return trail;
}

// The pattern in upper case, character by character: upper-casing byte by byte
// would turn a trail byte "a" (0x61) into "A" and change the character.
std::string UpperCasePattern(std::string_view pattern) {
    std::string upper(pattern);
    for (std::size_t i = 0; i < upper.size();) {
        const auto c = static_cast<unsigned char>(upper[i]);
        if (SjisCharLength(upper, i) == 2) {
            upper[i + 1] =
                static_cast<char>(UpperSecond(c, static_cast<unsigned char>(upper[i + 1])));
            i += 2;
        } else {
            upper[i] = static_cast<char>(kUpperByte[c]);
            i += 1;
        }
    }
    return upper;
}

// Length of the text matched by `pattern` at `at`, or 0 when it does not match.
std::size_t MatchAt(std::string_view text, std::size_t at, std::string_view pattern) {
    std::size_t t = at;
    std::size_t q = 0;
    while (q < pattern.size()) {
        if (t >= text.size()) return 0;
        const auto c = static_cast<unsigned char>(text[t]);
        if (SjisCharLength(text, t) == 2) {
            const auto trail = static_cast<unsigned char>(text[t + 1]);
            if (q + 1 >= pattern.size() || static_cast<unsigned char>(pattern[q]) != c ||
                static_cast<unsigned char>(pattern[q + 1]) != UpperSecond(c, trail)) {
                return 0;
            }
            t += 2;
            q += 2;
        } else {
            if (kUpperByte[c] != static_cast<unsigned char>(pattern[q])) return 0;
            t += 1;
            q += 1;
        }
    }
    return t - at;
}

}  // namespace

std::optional<TextMatch> FindText(std::string_view text, std::size_t start, std::size_t length,
                                  std::string_view pattern) {
    if (text.empty() || pattern.empty()) return std::nullopt;
    const std::string upper = UpperCasePattern(pattern);
    // Character boundaries are known only by walking from the beginning.
    std::size_t from = start + length;
    if (from < start) return std::nullopt;  // wrapped: nothing lies beyond
    std::size_t at = 0;
    if (from >= text.size()) return std::nullopt;
    while (at < from) at += SjisCharLength(text, at);
    for (; at < text.size() && text.size() - at >= upper.size(); at += SjisCharLength(text, at)) {
        if (const std::size_t matched = MatchAt(text, at, upper); matched != 0) {
            return TextMatch{at, matched};
        }
    }
    return std::nullopt;
}

}  // namespace drwa::text
