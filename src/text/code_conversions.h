// The six direct conversions behind ConvertJapaneseCode, for callers that know
// the source code already (the header encoder converts runs of Shift_JIS that
// detection alone could not decide). Each is one pass, never fails and never
// reads past the end: malformed input gives malformed output of the same kind.
// A lead byte at the very end is still converted as a pair whose missing trail
// byte counts as 0.
#pragma once

#include <string>
#include <string_view>

#include "text/japanese_code.h"

namespace drwa::text {

// `text` from `source` into `target`, two different codes of kShiftJis,
// kEucJp and kIso2022Jp: the one of the six below that does it.
std::string ConvertBetween(JapaneseCode source, JapaneseCode target, std::string_view text);

// Double-byte runs open with ESC $ B and close with ESC ( J (before any byte
// below 0x80, and at the end); half-width katakana become full-width, merged
// with a following voiced or semi-voiced sound mark where a combined
// character exists.
std::string ShiftJisToIso2022Jp(std::string_view sjis);
std::string EucJpToIso2022Jp(std::string_view euc);

// Any ESC $ x switches to double-byte mode, any ESC ( x back. The Shift_JIS
// result ends at its first NUL byte.
std::string Iso2022JpToShiftJis(std::string_view jis);
std::string Iso2022JpToEucJp(std::string_view jis);

// Half-width katakana are 0x8E + byte in EUC-JP and the bare byte in Shift_JIS.
std::string EucJpToShiftJis(std::string_view euc);
std::string ShiftJisToEucJp(std::string_view sjis);

}  // namespace drwa::text
