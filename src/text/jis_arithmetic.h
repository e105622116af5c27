// The row/cell arithmetic between JIS X 0208 bytes and Shift_JIS (JIS X 0208
// Annex 1). It is total over all byte values, wrapping modulo 256, so that
// malformed pairs convert to malformed pairs instead of failing.
#pragma once

#include <cstdint>

namespace drwa::text {

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

static_assert(JisToShiftJis(0x21, 0x21).first == 0x81 && JisToShiftJis(0x21, 0x21).second == 0x40);
static_assert(ShiftJisToJis(0x88, 0x9F).first == 0x30 && ShiftJisToJis(0x88, 0x9F).second == 0x21);
static_assert(ShiftJisToJis(0xEA, 0xA4).first == 0x74 && ShiftJisToJis(0xEA, 0xA4).second == 0x26);

}  // namespace drwa::text
