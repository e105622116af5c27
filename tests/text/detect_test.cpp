// Detection, rule by rule and in its order. Shift_JIS literals are compiled to
// CP932; EUC-JP and ISO-2022-JP bytes are written out.
#include <gtest/gtest.h>

#include <string>

#include "text/japanese_code.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;

struct Case {
    const char* what;
    std::string text;
    Code code;
};

TEST(DetectJapaneseCode, FollowsItsRulesInOrder) {
    const Case cases[] = {
        {"empty", "", Code::kAscii},
        {"ASCII", "Subject: hello\r\n", Code::kAscii},
        {"control byte early",
         "\x01"
         "abc",
         Code::kNotText},
        {"0xFF early",
         "ab\xFF"
         "cd",
         Code::kNotText},
        // The last byte is never looked at as a first byte, binary or not.
        {"control byte last", "abc\x01", Code::kAscii},
        {"single 0xFF", "\xFF", Code::kAscii},
        {"lone lead byte last", "abc\x93", Code::kAscii},
        // Beyond the first 512 bytes only the scan finds a control byte.
        {"control byte late",
         std::string(600, 'a') + "\x02"
                                 "b",
         Code::kNotText},
        {"ESC $ B", "abc\x1B$B$\"\x1B(B", Code::kIso2022Jp},
        {"ESC $ B at the very end", "x\x1B$B", Code::kIso2022Jp},
        {"ESC $ @", "\x1B$@F|\x1B(J", Code::kOldJis},
        {"ESC ( B alone", "a\x1B(Bb", Code::kAscii},
        {"truncated ESC $", "a\x1B$", Code::kAscii},
        {"Shift_JIS kanji", "日本語", Code::kShiftJis},
        {"Shift_JIS after ASCII", "Subject: テスト", Code::kShiftJis},
        {"EUC-JP kanji", "\xC6\xFC\xCB\xDC", Code::kEucJp},
        {"EUC-JP or Shift_JIS", "\xA4\xA2\xA4\xA4", Code::kUndecided},
        // Undecided goes on scanning: the second pair decides.
        {"undecided then EUC-JP", "\xA4\xA2\xC6\xFC", Code::kEucJp},
        {"half-width katakana only", "ｶﾞｷﾞ", Code::kUndecided},
        {"katakana then Shift_JIS trail", "\xA1\x81", Code::kShiftJis},
        {"0x8E then Shift_JIS trail", "\x8E\x40", Code::kShiftJis},
        {"0x8E then katakana", "\x8E\xB1", Code::kUndecided},
        {"0xE0 then ASCII trail", "\xE0\x40", Code::kShiftJis},
        {"0xE0 then 0xFD", "\xE0\xFD", Code::kEucJp},
        {"0xE0 then high byte", "\xE0\xA1", Code::kUndecided},
        {"0xF0 first", "\xF0\xA1", Code::kEucJp},
        {"0x80 and 0xA0 decide nothing",
         "\x80\xA0"
         "a",
         Code::kAscii},
        // Katakana before 0xE0..0xEF: the bytes that follow decide, while they
        // stay at or above 0x40 (ASCII letters included).
        {"scan finds Shift_JIS lead", "\xB1\xE0\x81\x40", Code::kShiftJis},
        {"scan finds EUC-JP 0xFD", "\xB1\xE0\xFD", Code::kEucJp},
        {"scan goes over letters",
         "\xB1\xE0"
         "ab\x81\x40",
         Code::kShiftJis},
        // The byte that ends the scan is passed over: here the ESC, so the
        // escape sequence after it is not seen.
        {"scan swallows the ESC", "\xB1\xE0\x1B$B", Code::kUndecided},
        {"scan ends on a blank", "\xB1\xE0 \x1B$B", Code::kIso2022Jp},
        // The byte after ESC is passed over even when it is no "$".
        {"ESC eats the next byte",
         "\x1B\x93"
         "ab",
         Code::kAscii},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DetectJapaneseCode(c.text), c.code) << c.what;
    }
}

}  // namespace
}  // namespace drwa::text
