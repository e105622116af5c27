// The JIS <-> Shift_JIS arithmetic as lookup tables for the converters' inner
// loops: on real text the branch on the trail byte (s2 < 0x9F) goes either way
// at random, and a mispredicted branch per character costs more than the
// conversion itself. The tables are built from the arithmetic (and checked
// against it for every byte pair by the tests).
#pragma once

#include <array>
#include <cstddef>
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

// Both Shift_JIS bytes of every 7-bit JIS pair in one load, first byte in the
// low half (stored little-endian it is first in memory), indexed by
// (j1 & 0x7F) << 7 | (j2 & 0x7F): 32 KB, the size of a first-level cache.
inline constexpr std::size_t JisPairIndex(unsigned j1, unsigned j2) {
    return (j1 & 0x7F) << 7 | (j2 & 0x7F);
}

constexpr std::array<std::uint16_t, 128 * 128> MakeJisToShiftJisPairs() {
    std::array<std::uint16_t, 128 * 128> table{};
    for (unsigned j1 = 0; j1 < 128; ++j1) {
        for (unsigned j2 = 0; j2 < 128; ++j2) {
            const BytePair s = JisToShiftJis(j1, j2);
            table[JisPairIndex(j1, j2)] = static_cast<std::uint16_t>(s.first | s.second << 8);
        }
    }
    return table;
}

inline constexpr std::array<std::uint16_t, 128 * 128> kJisToShiftJisPairs =
    MakeJisToShiftJisPairs();

}  // namespace drwa::text
