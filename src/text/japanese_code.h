// Which Japanese code a text is in, and the conversion between the three the
// library reads and writes: Shift_JIS (CP932, the code inside the library),
// EUC-JP (some boards) and ISO-2022-JP (mail).
#pragma once

#include <string>
#include <string_view>

namespace drwa::text {

// The numbers are stored and shown (drwa-tool detect prints them), so they are
// fixed.
enum class JapaneseCode : int {
    kAscii = 0,      // no byte at or above 0x80 and no JIS escape
    kNotText = 1,    // a byte below 0x08, or 0xFF
    kIso2022Jp = 2,  // ESC $ B found
    kOldJis = 3,     // ESC $ @ found (older JIS); read like ISO-2022-JP
    kEucJp = 4,
    kShiftJis = 5,
    kUndecided = 6,  // EUC-JP or Shift_JIS, the bytes don't tell which
};

// The code of `text`. The scan stops at the first byte that decides it; the
// last byte is never looked at as the start of a character.
JapaneseCode DetectJapaneseCode(std::string_view text);

// `text` in the code `target` (kIso2022Jp, kEucJp or kShiftJis), from whatever
// code DetectJapaneseCode finds. ASCII, non-text and undecided text, text
// already in the target, and any other target give the text unchanged.
// ISO-2022-JP output enters double-byte mode with ESC $ B and leaves it with
// ESC ( J; half-width katakana become full-width there.
std::string ConvertJapaneseCode(std::string_view text, JapaneseCode target);

}  // namespace drwa::text
