// MIME header words: what the encoder writes for Shift_JIS header lines, and
// how the decoder reads words back, damaged ones included.
#include <gtest/gtest.h>

#include <string>

#include "text/base64.h"
#include "text/header_words.h"
#include "text/japanese_code.h"

namespace drwa::text {
namespace {

struct Case {
    const char* what;
    std::string line;
    std::string expected;
};

TEST(EncodeHeaderLine, OneWordPerJapaneseRun) {
    const Case cases[] = {
        {"plain line unchanged", "Subject: test", "Subject: test"},
        {"one run", "Subject: テスト", "Subject: =?ISO-2022-JP?B?GyRCJUYlOSVIGyhK?="},
        // Blanks between two runs go inside one word: readers drop white
        // space between adjacent words, and the blank would be lost.
        {"blank between runs", "漢字 かな", "=?ISO-2022-JP?B?GyRCNEE7ehsoSiAbJEIkKyRKGyhK?="},
        {"blanks and tab between runs", "漢字 \t かな",
         "=?ISO-2022-JP?B?GyRCNEE7ehsoSiAJIBskQiQrJEobKEo=?="},
        // Blanks before plain text, or at the end, stay outside.
        {"blank before ASCII", "漢 x", "=?ISO-2022-JP?B?GyRCNEEbKEo=?= x"},
        {"trailing blank", "漢 ", "=?ISO-2022-JP?B?GyRCNEEbKEo=?= "},
        // Half-width katakana are Japanese and come out full-width.
        {"katakana run", "ｱ", "=?ISO-2022-JP?B?GyRCJSIbKEo=?="},
        // 表 ends in 0x5C and ソ in 0x5C: the run is not cut at the trail byte.
        {"trail byte 0x5C", "表ソ", "=?ISO-2022-JP?B?GyRCST0lPRsoSg==?="},
        {"ASCII between kanji", "日a本",
         "=?ISO-2022-JP?B?GyRCRnwbKEo=?=a=?ISO-2022-JP?B?GyRCS1wbKEo=?="},
    };
    for (const auto& c : cases) EXPECT_EQ(EncodeHeaderLine(c.line), c.expected) << c.what;

    // No folding and no splitting, however long the run.
    std::string long_run;
    for (int i = 0; i < 200; ++i) long_run += "漢";
    const std::string word = EncodeHeaderLine("Subject: " + long_run);
    EXPECT_EQ(word.find('\n'), std::string::npos);
    EXPECT_EQ(word.find("?= =?"), std::string::npos);
}

TEST(DecodeHeaderLine, ReplacesWordsWithTheirJisBytes) {
    const Case cases[] = {
        {"marker in lower case",
         "Subject: =?iso-2022-jp?b?GyRCJUYlOSVIGyhK?=", "Subject: \x1B$B%F%9%H\x1B(J"},
        // Words without the way back get ESC ( J; those with ESC ( B keep it.
        {"closing escape appended", "=?ISO-2022-JP?B?GyRCJUYlOSVI?=", "\x1B$B%F%9%H\x1B(J"},
        {"ESC ( B kept", "=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=", "\x1B$B%F%9%H\x1B(B"},
        {"blanks between words stay",
         "=?ISO-2022-JP?B?GyRCNEE7ehsoSg==?= =?ISO-2022-JP?B?GyRCJCskShsoSg==?=",
         "\x1B$B4A;z\x1B(J \x1B$B$+$J\x1B(J"},
        {"other charsets stay", "=?UTF-8?B?5pel?= x", "=?UTF-8?B?5pel?= x"},
        {"Q encoding stays", "=?ISO-2022-JP?Q?abc?=", "=?ISO-2022-JP?Q?abc?="},
        // An unclosed word loses its marker; the rest of the line is kept.
        {"unclosed word", "a =?ISO-2022-JP?B?GyRC", "a GyRC"},
        {"CR LF in the Base64", "=?ISO-2022-JP?B?GyRCJUYl\r\nOSVIGyhK?=", "\x1B$B%F%9%H\x1B(J"},
        {"empty word",
         "=?ISO-2022-JP?B?"
         "?=",
         "\x1B(J"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeHeaderLine(c.line), c.expected) << c.what;
}

TEST(DecodeHeaderLine, NeverDecodesWhatItInserted) {
    // A word whose bytes spell another word: decoded once, then left alone,
    // so the line neither loops nor grows.
    const std::string inner = "=?ISO-2022-JP?B?" + EncodeBase64("=?ISO-2022-JP?B?QUJD?=") + "?=";
    const std::string outer = "=?ISO-2022-JP?B?" + EncodeBase64(inner) + "?=";
    EXPECT_EQ(DecodeHeaderLine(outer), inner + "\x1B(J");
}

TEST(HeaderWords, EncodedLinesDecodeBackToShiftJis) {
    const std::string lines[] = {
        "Subject: テスト",
        "From: 山田 太郎 <taro@example.jp>",
        "Subject: Re: [掲示板] ｶﾀｶﾅ と 表示",
        "To: plain@example.jp",
        "Subject: ①②, Ⅰ and ㈱",  // CP932's NEC row 13: no peer knows it in JIS
    };
    const std::string full_width_kana = "Subject: Re: [掲示板] カタカナ と 表示";
    for (const auto& line : lines) {
        const std::string encoded = EncodeHeaderLine(line);
        for (unsigned char c : encoded) ASSERT_LT(c, 0x80) << encoded;
        const std::string back =
            ConvertJapaneseCode(DecodeHeaderLine(encoded), JapaneseCode::kShiftJis);
        // Half-width katakana come back full-width: ISO-2022-JP has no others.
        EXPECT_EQ(back, line.find("ｶ") == std::string::npos ? line : full_width_kana);
    }
}

}  // namespace
}  // namespace drwa::text
