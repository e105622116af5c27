// The JIS <-> Shift_JIS arithmetic as lookup tables for the converters' inner
// loops: on real text the branch on the trail byte (s2 < 0x9F) goes either way
// at random, and a mispredicted branch per character costs more than the
// conversion itself. The tables are built from the arithmetic and checked
// against it for every byte pair at compile time.
#pragma once

#include <array>
#include <cstdint>

#include "text/jis_arithmetic.h"

namespace drwa::text {

struct JisTables {
    // Shift_JIS to JIS: j1 = sjis_lead[s1] - sjis_odd_row[s2], j2 = sjis_trail[s2].
    std::array<std::uint8_t, 256> sjis_lead;
    std::array<std::uint8_t, 256> sjis_odd_row;
    std::array<std::uint8_t, 256> sjis_trail;
    // JIS to Shift_JIS: s1 = jis_lead[j1], s2 = jis_trail[j1 & 1][j2].
    std::array<std::uint8_t, 256> jis_lead;
    std::array<std::array<std::uint8_t, 256>, 2> jis_trail;

    constexpr BytePair ToJis(unsigned s1, unsigned s2) const {
        return {static_cast<std::uint8_t>(sjis_lead[s1] - sjis_odd_row[s2]), sjis_trail[s2]};
    }
    constexpr BytePair ToShiftJis(unsigned j1, unsigned j2) const {
        return {jis_lead[j1], jis_trail[j1 & 1][j2]};
    }
};

constexpr JisTables MakeJisTables() {
    JisTables t{};
    for (unsigned b = 0; b < 256; ++b) {
        // Row from the lead byte with an even trail byte; odd rows are one less.
        t.sjis_lead[b] = ShiftJisToJis(b, 0x9F).first;
        t.sjis_odd_row[b] = b < 0x9F ? 1 : 0;
        t.sjis_trail[b] = ShiftJisToJis(0x81, b).second;
        t.jis_lead[b] = JisToShiftJis(b, 0x21).first;
        t.jis_trail[0][b] = JisToShiftJis(0x22, b).second;
        t.jis_trail[1][b] = JisToShiftJis(0x21, b).second;
    }
    return t;
}

inline constexpr JisTables kJisTables = MakeJisTables();

constexpr bool TablesMatchArithmetic() {
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            const BytePair j = kJisTables.ToJis(a, b);
            const BytePair s = kJisTables.ToShiftJis(a, b);
            if (j.first != ShiftJisToJis(a, b).first || j.second != ShiftJisToJis(a, b).second ||
                s.first != JisToShiftJis(a, b).first || s.second != JisToShiftJis(a, b).second) {
                return false;
            }
        }
    }
    return true;
}
static_assert(TablesMatchArithmetic());

}  // namespace drwa::text
