// The parameter template language: form encoding, the placeholder order, the
// "$(" key ")" references and their limits, the body and query shapes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "post/parameter_template.h"

namespace drwa::post {
namespace {

using ::testing::ElementsAreArray;
using text::JapaneseCode;

TEST(FormEncode, KeepsOnlyLettersAndDigitsAndTurnsBlanksToPlus) {
    EXPECT_EQ(FormEncode("aZ9 -._*"), "aZ9+%2D%2E%5F%2A");
    EXPECT_EQ(FormEncode("表"), "%95%5C");  // both bytes, trail 0x5C included
    EXPECT_EQ(FormEncode(std::string("\0\xFF", 2)), "%00%FF");
    EXPECT_EQ(FormEncode(""), "");
}

struct Case {
    const char* what;
    std::string params;
    std::vector<std::string> expected;
    JapaneseCode target = JapaneseCode::kShiftJis;
    std::vector<std::string> body = {};
};

class Expand : public ::testing::TestWithParam<Case> {};

TEST_P(Expand, Template) {
    TemplateValues v;
    v.name = "Bob Y";
    v.email = "sage";
    v.key = "k";
    v.hp = "h";
    v.user = "u";
    v.pass = "p";
    v.param1 = "1";
    v.param2 = "2";
    v.subject = "a 表";
    v.date = {.year = 2024, .month = 5, .day = 1, .hour = 9, .minute = 5};
    v.body_lines = GetParam().body;
    const std::map<std::string, std::string> settings = {
        {"PLAIN", "a b"}, {"COMMA", "x$,y"}, {"CHAIN", "$(PLAIN)!"},
        {"FORM", "m=$M"}, {"KANJI", "表"},   {"NAMED", "$N"},
    };
    auto lookup = [&](std::string_view key) {
        auto it = settings.find(std::string(key));
        return it == settings.end() ? std::string() : it->second;
    };
    EXPECT_THAT(ExpandParameterTemplate(GetParam().params, v, lookup, GetParam().target),
                ElementsAreArray(GetParam().expected))
        << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Placeholders, Expand,
    ::testing::Values(
        Case{"settings", "$N$E$K$H$U$P$1$2", {"Bob+Ysagekhup12"}},
        Case{"subject, Shift_JIS", "t=$T", {"t=a+%95%5C"}},
        Case{"subject, EUC-JP", "t=$T", {"t=a+%C9%BD"}, JapaneseCode::kEucJp},
        Case{"numbers, date, time", "$Sn$Sr&$Sd&$St", {"%2A%2A", "24%2F05%2F01", "09%3A05"}},
        // "$N" is replaced long before "$$": the first "$" is left alone.
        Case{"$$ comes last", "$$N&$$&$,", {"$Bob+Y", "%24", "%2C"}},
        Case{"no placeholder", "$C&$x", {"$C", "$x"}},
        // A "$(" value is inserted as it stands, converted, and sees "$," later.
        Case{"key, not encoded", "$(PLAIN)&$(COMMA)", {"a b", "x%2Cy"}},
        Case{"key, converted", "$(KANJI)", {"\xC9\xBD"}, JapaneseCode::kEucJp},
        Case{"key through key", "$(CHAIN)", {"a b!"}}, Case{"missing key", "a=$(NONE)", {"a="}},
        // Placeholders 1 to 13 are done before "$(": "$N" from a value stays.
        Case{"key holding $N", "$(NAMED)", {"$N"}},
        Case{"key holding $M", "$(FORM)", {"m=x%0d%0a"}, JapaneseCode::kShiftJis, {"x"}},
        Case{"empty pairs kept, last & dropped", "a=1&&b=2&", {"a=1", "", "b=2"}},
        Case{"empty body", "m=$M", {"m="}},
        Case{"body lines",
             "m=$M",
             {"m=%2E+%0d%0aa%2Eb%0d%0a%0d%0a%95%5C%0d%0a"},
             JapaneseCode::kShiftJis,
             {".", "a.b", "", "表"}},
        // The body is converted as a whole from the mail's ISO-2022-JP.
        Case{"body from ISO-2022-JP",
             "m=$M",
             {"m=%C9%BD%0d%0a"},
             JapaneseCode::kEucJp,
             {"\x1b$BI=\x1b(B"}}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST(ExpandKeys, ReferencesThatNeverEndFailTheMailQuickly) {
    struct Loop {
        const char* what;
        std::map<std::string, std::string> settings;
    };
    const Loop loops[] = {
        {"itself", {{"A", "$(A)"}}},
        {"through another", {{"A", "x$(B)"}, {"B", "$(A)"}}},
        {"doubling", {{"A", "$(A)$(A)"}}},
        {"growing fast", {{"A", std::string(2000, 'x') + "$(A)$(A)$(A)"}}},
    };
    for (const Loop& loop : loops) {
        auto lookup = [&](std::string_view key) { return loop.settings.at(std::string(key)); };
        EXPECT_THROW(ExpandParameterTemplate("v=$(A)", {}, lookup, JapaneseCode::kShiftJis),
                     ParameterLoopError)
            << loop.what;
    }
    // Many different keys are fine up to the limit.
    std::string many;
    for (int i = 0; i < kMaxKeyExpansions; ++i) many += "$(K" + std::to_string(i) + ")";
    EXPECT_THAT(ExpandParameterTemplate(
                    many, {}, [](std::string_view) { return "v"; }, JapaneseCode::kShiftJis),
                ElementsAreArray({std::string(kMaxKeyExpansions, 'v')}));
}

TEST(ExpandKeys, AnUnmatchedOpeningEndsTheSend) {
    try {
        ExpandParameterTemplate(
            "a=$(NAME&b=1", {}, [](std::string_view) { return ""; }, JapaneseCode::kShiftJis);
        FAIL() << "no error";
    } catch (const ParameterLoopError&) {
        FAIL() << "taken for a loop";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "パラメター $( の対応する ) がありません");
    }
}

TEST(FormShapes, BodyAndQuery) {
    using Pairs = std::vector<std::string>;
    EXPECT_EQ(FormBody({}), "");
    EXPECT_EQ(FormBody(Pairs{"a=1"}), "a=1");
    EXPECT_EQ(FormBody(Pairs{"a=1", "b=2"}), "a=1&b=2&");
    EXPECT_EQ(FormBody(Pairs{" \ta=1 "}), "a=1");
    EXPECT_EQ(FormQuery({}), "");
    EXPECT_EQ(FormQuery(Pairs{"a=1"}), "a=1&");
}

}  // namespace
}  // namespace drwa::post
