// The row/cell arithmetic between JIS X 0208 bytes and Shift_JIS (JIS X 0208
// Annex 1). It is total over all byte values, wrapping modulo 256, so that
// malformed pairs convert to malformed pairs instead of failing.
#pragma once

#include <cstddef>
#include <cstdint>

namespace drwa::text {

// Bytes of the codes themselves: the start of an ISO-2022-JP escape sequence,
// and EUC-JP's prefix of a half-width katakana (SS2).
inline constexpr unsigned char kEsc = 0x1B;
inline constexpr unsigned kEucKanaPrefix = 0x8E;

// The byte at `i`, or 0 when the text ends before it: a lead byte at the very
// end is converted with a trail byte of 0 instead of a read past the end.
inline unsigned ByteAt(const unsigned char* p, std::size_t i, std::size_t n) {
    return i < n ? p[i] : 0;
}

struct BytePair {
    std::uint8_t first;
    std::uint8_t second;
};

constexpr BytePair JisToShiftJis(unsigned j1, unsigned j2) {
    const unsigned s1 = (j1 + 1) / 2 + (j1 <= 0x5E ? 0x70 : 0xB0);
    unsigned s2;
    if (j1 % 2 == 1) {
        s2 = j2 + (j2 <= 0x5F ? 0x1F : 0x20);
    } else {
        s2 = j2 + 0x7E;
    }
    return {static_cast<std::uint8_t>(s1), static_cast<std::uint8_t>(s2)};
}

constexpr BytePair ShiftJisToJis(unsigned s1, unsigned s2) {
    const unsigned base = s1 < 0xA0 ? 0x70 : 0xB0;
    if (s2 < 0x9F) {
        return {static_cast<std::uint8_t>(2 * (s1 - base) - 1),
                static_cast<std::uint8_t>(s2 - (s2 < 0x80 ? 0x1F : 0x20))};
    }
    return {static_cast<std::uint8_t>(2 * (s1 - base)), static_cast<std::uint8_t>(s2 - 0x7E)};
}

// CP932 has 388 characters twice: in IBM's rows (lead bytes 0xFA to 0xFC,
// which Windows writes) and in NEC's rows 13 and 89 to 92 or JIS X 0208
// itself. Only the latter lie in the 94 x 94 rows that JIS and EUC-JP carry:
// the arithmetic alone turns an IBM code into another character (髙 into 鄕).
// The twin of an IBM code; any other pair unchanged.
constexpr BytePair NecTwin(unsigned s1, unsigned s2) {
    const unsigned code = s1 << 8 | s2;
    // Position among the trail bytes 0x40-0x7E, 0x80-0xFC of a lead byte.
    auto position = [](unsigned lead, unsigned trail) {
        return (lead - 0xFA) * 188 + trail - 0x40 - (trail > 0x7F ? 1 : 0);
    };
    auto pair = [](unsigned c) {
        return BytePair{static_cast<std::uint8_t>(c >> 8), static_cast<std::uint8_t>(c & 0xFF)};
    };
    if (s1 < 0xFA || s1 > 0xFC || s2 < 0x40 || s2 == 0x7F || s2 > 0xFC || code > 0xFC4B)
        return pair(code);
    if (code <= 0xFA49) return pair(0xEEEF + code - 0xFA40);  // ⅰ to ⅹ
    if (code <= 0xFA53) return pair(0x8754 + code - 0xFA4A);  // Ⅰ to Ⅹ
    constexpr unsigned kSymbols[] = {0x81CA, 0xEEFA, 0xEEFB, 0xEEFC,
                                     0x878A, 0x8782, 0x8784, 0x81E6};  // ￢ ￤ ＇ ＂ ㈱ № ℡ ∵
    if (code <= 0xFA5B) return pair(kSymbols[code - 0xFA54]);
    // The 360 kanji stand in the same order in NEC's rows from 0xED40.
    const unsigned at = position(s1, s2) - position(0xFA, 0x5C);
    const unsigned trail = at % 188;
    return pair((0xED + at / 188) << 8 | (0x40 + trail + (trail >= 0x3F ? 1 : 0)));
}

static_assert(NecTwin(0xFB, 0xFC).first == 0xEE && NecTwin(0xFB, 0xFC).second == 0xE0);  // 髙
static_assert(NecTwin(0xFA, 0x5C).first == 0xED && NecTwin(0xFA, 0x5C).second == 0x40);
static_assert(NecTwin(0xFC, 0x4B).first == 0xEE && NecTwin(0xFC, 0x4B).second == 0xEC);
static_assert(NecTwin(0x88, 0x9F).first == 0x88 && NecTwin(0x88, 0x9F).second == 0x9F);

static_assert(JisToShiftJis(0x21, 0x21).first == 0x81 && JisToShiftJis(0x21, 0x21).second == 0x40);
static_assert(ShiftJisToJis(0x88, 0x9F).first == 0x30 && ShiftJisToJis(0x88, 0x9F).second == 0x21);
static_assert(ShiftJisToJis(0xEA, 0xA4).first == 0x74 && ShiftJisToJis(0xEA, 0xA4).second == 0x26);

}  // namespace drwa::text
