// MIME encoded words in header lines, the way mail of this system carries
// Japanese: "=?ISO-2022-JP?B?" + Base64 of ISO-2022-JP text + "?=".
#pragma once

#include <string>
#include <string_view>

namespace drwa::text {

// A Shift_JIS header line (name included) as ASCII: every maximal run of
// Japanese characters (double-byte characters and half-width katakana) becomes
// one encoded word, everything else stays as it is. Blanks between two runs
// join them into one word, so that readers keep the blank. No length limit,
// no folding: "Subject: テスト" is "Subject: " and one word.
std::string EncodeHeaderLine(std::string_view sjis_line);

// The line with every "=?ISO-2022-JP?B?...?=" word (marker in any letter case)
// replaced by its ISO-2022-JP bytes, closed with ESC ( J where they are not
// closed already. Convert the result with ConvertJapaneseCode. Other encoded
// words, and the blanks between words, stay. A marker without "?=" after it is
// removed and the rest of the line kept.
std::string DecodeHeaderLine(std::string_view line);

}  // namespace drwa::text
