// ConvertJapaneseCode and the six conversions behind it. Shift_JIS literals
// are compiled to CP932; EUC-JP and ISO-2022-JP bytes are written out.
#include <gtest/gtest.h>

#include <string>

#include "text/code_conversions.h"
#include "text/japanese_code.h"
#include "text/jis_arithmetic.h"
#include "text/jis_tables.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;
using namespace std::string_literals;

// 日本語 in each code.
const std::string kJisNihongo = "\x1B$BF|K\\8l\x1B(J";
const std::string kEucNihongo = "\xC6\xFC\xCB\xDC\xB8\xEC";

struct Case {
    const char* what;
    std::string text;
    Code target;
    std::string expected;
};

TEST(ConvertJapaneseCode, ConvertsFromTheDetectedCode) {
    const Case cases[] = {
        {"Shift_JIS to JIS", "日本語abc", Code::kIso2022Jp, kJisNihongo + "abc"},
        {"kanji last closes with ESC ( J", "abc日本語", Code::kIso2022Jp, "abc" + kJisNihongo},
        {"EUC-JP to JIS", kEucNihongo + "abc", Code::kIso2022Jp, kJisNihongo + "abc"},
        {"EUC-JP kanji last", "abc" + kEucNihongo, Code::kIso2022Jp, "abc" + kJisNihongo},
        // Line ends always leave double-byte mode.
        {"line end inside", "日\r\n本", Code::kIso2022Jp, "\x1B$BF|\x1B(J\r\n\x1B$BK\\\x1B(J"},
        // 表 has the trail byte "\" (0x5C): one character, not a backslash.
        {"trail byte 0x5C", "表a", Code::kIso2022Jp, "\x1B$BI=\x1B(Ja"},
        {"katakana merged in a Shift_JIS text", "漢ﾊﾟ", Code::kIso2022Jp, "\x1B$B4A%Q\x1B(J"},
        {"katakana-only line among kanji", "ｶﾞｷﾞ\n漢", Code::kIso2022Jp,
         "\x1B$B%,%.\x1B(J\n\x1B$B4A\x1B(J"},
        {"Shift_JIS to EUC-JP", "日本ｱ", Code::kEucJp, "\xC6\xFC\xCB\xDC\x8E\xB1"},
        // What Windows writes for 髙, ⅰ and ㈱ (IBM's rows) leaves by the NEC
        // codes JIS can carry, and reads back as the same characters.
        {"IBM codes to JIS", "橋\xFB\xFC\xFA\x40\xFA\x58", Code::kIso2022Jp,
         "\x1B$B66|b|q-j\x1B(J"},
        {"IBM codes to EUC-JP", "橋\xFB\xFC", Code::kEucJp, "\xB6\xB6\xFC\xE2"},
        {"and back, by NEC's codes", "\x1B$B66|b|q-j\x1B(J", Code::kShiftJis,
         "橋\xEE\xE0\xEE\xEF\x87\x8A"},
        {"EUC-JP to Shift_JIS", "\xC6\xFC\x8E\xB1", Code::kShiftJis, "日ｱ"},
        {"EUC-JP katakana to JIS", "\xC6\xFC\x8E\xCA\x8E\xDF", Code::kIso2022Jp,
         "\x1B$BF|%Q\x1B(J"},
        {"JIS to Shift_JIS", "\x1B$BF|K\\8l\x1B(Babc", Code::kShiftJis, "日本語abc"},
        {"JIS to EUC-JP", "\x1B$BF|K\\8l\x1B(Babc", Code::kEucJp, kEucNihongo + "abc"},
        {"older JIS read as JIS", "\x1B$@F|\x1B(J", Code::kShiftJis, "日"},
        {"older JIS kept for target 2", "\x1B$@F|\x1B(J", Code::kIso2022Jp, "\x1B$@F|\x1B(J"},
        // Any ESC ( x leaves double-byte mode, any other escape changes nothing.
        {"ESC ( I leaves", "\x1B$BF|\x1B(Ia", Code::kShiftJis, "日a"},
        {"unknown escape dropped", "\x1B$BF|\x1B.AK\\\x1B(J", Code::kShiftJis, "日本"},
        {"truncated escape at the end", "\x1B$BF|\x1B(", Code::kShiftJis, "日"},
        // Stored article files turn NUL into blanks before this; the text ends
        // at its first NUL as it always has.
        {"JIS to Shift_JIS ends at NUL", std::string("\x1B$BF|\x1B(Ja\0b", 10), Code::kShiftJis,
         "日a"},
        {"stray line end in double-byte mode", "\x1B$BF|\n\x1B(J", Code::kEucJp, "\xC6\xFC\n"},
        // A lead byte at the end pairs with a trail byte of 0, read from
        // nowhere: 0x93 0x00 gives the JIS bytes 0x45 0xE1.
        {"lone lead byte at the end", "日\x93", Code::kIso2022Jp, "\x1B$BF|\x45\xE1\x1B(J"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConvertJapaneseCode(c.text, c.target), c.expected) << c.what;
    }
}

TEST(ConvertJapaneseCode, LeavesUndecidedAndNonJapaneseTextAlone) {
    const std::string texts[] = {
        "plain ASCII\r\n",
        "ｶﾞｷﾞ",                    // undecided: never guessed at
        "\x01日本語",              // not text
        std::string("ab\0日", 4),  // a NUL among the first bytes is not text either
    };
    for (const auto& text : texts) {
        for (Code target : {Code::kIso2022Jp, Code::kEucJp, Code::kShiftJis}) {
            EXPECT_EQ(ConvertJapaneseCode(text, target), text) << static_cast<int>(target);
        }
    }
    // Only 2, 4 and 5 are targets; text already in the target stays.
    for (Code target : {Code::kAscii, Code::kNotText, Code::kOldJis, Code::kUndecided}) {
        EXPECT_EQ(ConvertJapaneseCode("日本語", target), "日本語");
    }
    EXPECT_EQ(ConvertJapaneseCode("日本語", Code::kShiftJis), "日本語");
    EXPECT_EQ(ConvertJapaneseCode(kEucNihongo, Code::kEucJp), kEucNihongo);
}

TEST(HalfWidthKatakana, BecomeFullWidthWithTheMarksMerged) {
    // Through the direct conversion: a katakana-only text is never detected.
    const Case cases[] = {
        {"ｱ", "ｱ", Code::kIso2022Jp, "\x1B$B%\"\x1B(J"},
        {"symbols of row 1", "｡｢｣､･ｰ", Code::kIso2022Jp, "\x1B$B!#!V!W!\"!&!<\x1B(J"},
        {"ｦ and ﾝ", "ｦﾝ", Code::kIso2022Jp, "\x1B$B%r%s\x1B(J"},
        {"ｳﾞ is ヴ", "ｳﾞ", Code::kIso2022Jp, "\x1B$B%t\x1B(J"},
        {"ｶﾞ to ﾄﾞ", "ｶﾞﾄﾞ", Code::kIso2022Jp, "\x1B$B%,%I\x1B(J"},
        {"ﾊﾞ and ﾎﾟ", "ﾊﾞﾎﾟ", Code::kIso2022Jp, "\x1B$B%P%]\x1B(J"},
        // No combined letter: the mark stays a character of its own.
        {"ｶﾟ", "ｶﾟ", Code::kIso2022Jp, "\x1B$B%+!,\x1B(J"},
        {"ﾅﾞ", "ﾅﾞ", Code::kIso2022Jp, "\x1B$B%J!+\x1B(J"},
        {"ｳﾟ", "ｳﾟ", Code::kIso2022Jp, "\x1B$B%&!,\x1B(J"},
        {"marks alone", "ﾞﾟ", Code::kIso2022Jp, "\x1B$B!+!,\x1B(J"},
        // A mark merges once: the second one is a character again.
        {"ﾊﾟﾟ", "ﾊﾟﾟ", Code::kIso2022Jp, "\x1B$B%Q!,\x1B(J"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShiftJisToIso2022Jp(c.text), c.expected) << c.what;
        // The same characters as EUC-JP: 0x8E before every katakana byte.
        std::string euc;
        for (char b : c.text) euc += std::string("\x8E") + b;
        EXPECT_EQ(EucJpToIso2022Jp(euc), c.expected) << c.what << " (EUC-JP)";
    }
}

TEST(DirectConversions, NeverReadPastTheEnd) {
    // Each input ends in the middle of a character; the results are fixed so
    // that a change of behaviour shows.
    EXPECT_EQ(ShiftJisToEucJp("\x93"), "\xC5\xE1");
    EXPECT_EQ(EucJpToShiftJis("\xC6"), "\x93\x7E");
    EXPECT_EQ(EucJpToShiftJis("a\x8E"), "a");  // katakana prefix with nothing after
    EXPECT_EQ(EucJpToIso2022Jp("\x8E"), "\x1B$B\x0E\x00\x1B(J"s);
    EXPECT_EQ(Iso2022JpToShiftJis("\x1B$BF"), "\x93\x7E");
    EXPECT_EQ(Iso2022JpToEucJp("\x1B$BF"), "\xC6");
    EXPECT_EQ(ShiftJisToIso2022Jp("\xB3"), "\x1B$B%&\x1B(J");  // ｳ with no mark after
}

TEST(DirectConversions, LongTextsConvertLikeTheirLines) {
    // Short lines go byte by byte; a long text takes the block and word
    // shortcuts. Every line ends in single-byte mode, so converting the whole
    // text must give the lines' conversions one after the other.
    const std::string sjis_lines[] = {
        "掲示板の記事です。ｶﾞﾊﾟｰﾄ abc\n",
        "表示とソース\\path ①② ＡＢＣ\r\n",
        "plain ASCII line that is long enough to fill a block of sixty-four bytes\n",
        "ﾊﾟﾝ\n",
        "漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字漢字\n",
    };
    using Conversion = std::string (*)(std::string_view);
    struct Road {
        const char* what;
        Conversion to_source;  // from Shift_JIS into the source code
        Conversion convert;
    };
    const Road roads[] = {
        {"Shift_JIS to JIS", nullptr, ShiftJisToIso2022Jp},
        {"Shift_JIS to EUC-JP", nullptr, ShiftJisToEucJp},
        {"EUC-JP to Shift_JIS", ShiftJisToEucJp, EucJpToShiftJis},
        {"EUC-JP to JIS", ShiftJisToEucJp, EucJpToIso2022Jp},
        {"JIS to Shift_JIS", ShiftJisToIso2022Jp, Iso2022JpToShiftJis},
        {"JIS to EUC-JP", ShiftJisToIso2022Jp, Iso2022JpToEucJp},
    };
    for (const auto& road : roads) {
        std::string whole;
        std::string expected;
        for (int round = 0; round < 40; ++round) {
            for (const auto& line : sjis_lines) {
                const std::string source = road.to_source ? road.to_source(line) : line;
                whole += source;
                expected += road.convert(source);
            }
        }
        EXPECT_EQ(road.convert(whole), expected) << road.what;
    }
}

TEST(JisTables, MatchTheArithmeticForEveryBytePair) {
    // The converters use the tables; the arithmetic is the definition.
    for (unsigned a = 0; a < 256; ++a) {
        for (unsigned b = 0; b < 256; ++b) {
            const BytePair jis = kJisTables.ToJis(a, b);
            const BytePair sjis = kJisTables.ToShiftJis(a, b);
            ASSERT_EQ(jis.first, ShiftJisToJis(a, b).first) << a << " " << b;
            ASSERT_EQ(jis.second, ShiftJisToJis(a, b).second) << a << " " << b;
            ASSERT_EQ(sjis.first, JisToShiftJis(a, b).first) << a << " " << b;
            ASSERT_EQ(sjis.second, JisToShiftJis(a, b).second) << a << " " << b;
            if (a < 0x80 && b < 0x80) {
                const unsigned pair = kJisToShiftJisPairs[JisPairIndex(a, b)];
                ASSERT_EQ(pair & 0xFF, JisToShiftJis(a, b).first) << a << " " << b;
                ASSERT_EQ(pair >> 8, JisToShiftJis(a, b).second) << a << " " << b;
            }
        }
    }
}

}  // namespace
}  // namespace drwa::text
