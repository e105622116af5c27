// FindText: forward, case ignored, never inside a double-byte character.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "text/text_search.h"

namespace drwa::text {
namespace {

struct Case {
    const char* what;
    std::string text;
    std::size_t start;
    std::size_t length;
    std::string pattern;
    std::optional<std::size_t> found_at;
    std::size_t found_length;
};

TEST(FindText, FindsForwardIgnoringCase) {
    const Case cases[] = {
        {"upper-case text", "xxABCx", 0, 0, "abc", 2, 3},
        {"lower-case text", "xxabcx", 0, 0, "ABC", 2, 3},
        // The search starts after the current match.
        {"next match", "abcabc", 0, 3, "abc", 3, 3},
        {"no further match", "abcabc", 3, 3, "abc", std::nullopt, 0},
        {"proxy setting", "ftp=a:21;HTTP=proxy:8080", 0, 0, "http=", 9, 5},
        // Ｂ is 0x82 0x61: its trail byte is "a", which must not match.
        {"trail byte is no letter", "Ｂa", 0, 0, "a", 2, 1},
        // 表 is 0x95 0x5C.
        {"trail byte is no backslash", "表\\", 0, 0, "\\", 2, 1},
        // A start on a second byte moves one byte on.
        {"start on a trail byte", "Ｂaa", 1, 0, "a", 2, 1},
        // Full-width small letters match full-width capitals, both ways round.
        {"full-width small text", "xｈｔｔｐ=", 0, 0, "ＨＴＴＰ", 1, 8},
        {"full-width small pattern", "ＨＴＴＰ", 0, 0, "ｈｔｔｐ", 0, 8},
        {"full-width is not ASCII", "ＡＢ", 0, 0, "ab", std::nullopt, 0},
        {"kanji match only themselves", "日本語", 0, 0, "本", 2, 2},
        {"kanji mismatch", "日本語", 0, 0, "目", std::nullopt, 0},
        {"pattern longer than the rest", "abc", 1, 0, "abc", std::nullopt, 0},
        {"start beyond the text", "abc", 5, 0, "a", std::nullopt, 0},
        {"empty pattern", "abc", 0, 0, "", std::nullopt, 0},
        {"empty text", "", 0, 0, "a", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        const auto match = FindText(c.text, c.start, c.length, c.pattern);
        ASSERT_EQ(match.has_value(), c.found_at.has_value()) << c.what;
        if (!match) continue;
        EXPECT_EQ(match->start, *c.found_at) << c.what;
        EXPECT_EQ(match->length, c.found_length) << c.what;
    }
}

TEST(FindText, SuccessiveSearchesVisitEveryMatch) {
    const std::string text = "http=a; HTTP=b; Http=c";
    std::size_t start = 0;
    std::size_t length = 0;
    std::vector<std::size_t> found;
    while (const auto match = FindText(text, start, length, "http=")) {
        found.push_back(match->start);
        start = match->start;
        length = match->length;
    }
    EXPECT_EQ(found, (std::vector<std::size_t>{0, 8, 16}));
}

}  // namespace
}  // namespace drwa::text
