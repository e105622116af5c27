// Half-width katakana (Shift_JIS bytes 0xA1..0xDF) have no place in
// ISO-2022-JP: they are written as the full-width JIS X 0208 characters, a
// following voiced (0xDE) or semi-voiced (0xDF) sound mark merged into one
// character where JIS X 0208 has it.
#pragma once

namespace drwa::text {

constexpr bool IsHalfWidthKatakana(unsigned char c) {
    return c >= 0xA1 && c <= 0xDF;
}

struct FullWidthKana {
    unsigned char row;   // JIS byte 1: 0x21 (symbols) or 0x25 (katakana)
    unsigned char cell;  // JIS byte 2
    bool mark_merged;    // the following sound mark is part of this character
};

// The full-width form of `kana` (0xA1..0xDF) and of `next`, the half-width byte
// after it (any value; 0 when there is none).
FullWidthKana ToFullWidthKana(unsigned char kana, unsigned char next);

}  // namespace drwa::text
