// The subject and board-title expanders, shared with the format editors'
// previews, and the keys that make Message-Ids: a change in any of them
// breaks the threads of mails already delivered.
#include <gtest/gtest.h>

#include <string>

#include "convert/mail_formats.h"

namespace drwa::convert {
namespace {

struct SubjectCase {
    const char* format;
    const char* title;
    const char* number;
    int digits;
    std::string expected;
};

TEST(FormatSubject, ExpandsTitleAndPaddedNumber) {
    const SubjectCase cases[] = {
        {"[$N]$S", "テスト", "23", 10, "[0000000023]テスト"},
        // The shield passes through and keeps its "N" from being a placeholder.
        {"$$N-$N", "x", "5", 3, "$$N-005"},
        {"$$S$S", "題", "1", 1, "$$S題"},
        // An article without a number shows empty brackets.
        {"[$N]$S", "題", "", 10, "[]題"},
        // Text that is not an integer is shown as it is, never padded.
        {"[$N]$S", "題", "abc", 10, "[abc]題"},
        {"[$N]$S", "題", "1,2", 4, "[1,2]題"},
        // Padding goes after the minus sign.
        {"$N", "", "-5", 3, "-005"},
        // Leading zeros are read as the integer and padded again.
        {"$N", "", "007", 2, "07"},
        {"$N", "", "123456", 3, "123456"},
        // The title goes in first: a "$N" it brings is replaced by the number.
        {"$S", "番号$N", "9", 2, "番号09"},
        // A TAB or CR in the title comes out as the shield it stood for.
        {"$S", "a\tb\rc", "1", 1, "a$$Sb$$Nc"},
        // The digit count is taken as 16 bits: 65537 pads to one digit.
        {"$N", "", "7", 65537, "7"},
        // Only "$N" is looked for after the title went in.
        {"$S", "$S$N", "1", 1, "$S1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSubject(c.format, c.title, c.number, c.digits), c.expected)
            << c.format << " / " << c.number;
    }
}

struct TitleCase {
    const char* format;
    const char* group;
    const char* title;
    std::string expected;
};

TEST(FormatBbsTitle, ExpandsGroupThenTitle) {
    const TitleCase cases[] = {
        {"$G($T)", "news", "掲示板", "news(掲示板)"},
        {"$G($T)", "news", "", "news()"},
        {"", "news", "掲示板", ""},
        {"$$G=$G $$T=$T", "g", "t", "$$G=g $$T=t"},
        // The group name goes in first, so a "$T" inside it becomes the title.
        {"$G", "a$Tb", "板", "a板b"},
        // A nested group's name carries the Windows delimiter.
        {"$G", "親\\子", "", "親\\子"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatBbsTitle(c.format, c.group, c.title), c.expected) << c.format;
}

struct KeyCase {
    const char* number;
    std::string key;
    std::string text;
};

TEST(ArticleKeys, IntegersPaddedOtherTextHashed) {
    const KeyCase cases[] = {
        {"123", "0000000123", "123"},
        {"007", "0000000007", "7"},
        {"2147483647", "2147483647", "2147483647"},
        // Past 32 bits a number is text: hashed, shown as it is.
        {"4294967296", HashKey("4294967296"), "4294967296"},
        {"abc", "900150983CD24FB0D6963F7D28E17F72", "abc"},
        {"", "D41D8CD98F00B204E9800998ECF8427E", ""},
        {"1,2", HashKey("1,2"), "1,2"},
        // Integers are read as the settings reader reads them: "$" starts
        // hexadecimal. Message-Ids already delivered depend on it.
        {"$10", "0000000016", "16"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberKey(c.number), c.key) << c.number;
        EXPECT_EQ(NumberText(c.number), c.text) << c.number;
    }
    EXPECT_EQ(NumberText("*"), "");
}

}  // namespace
}  // namespace drwa::convert
