// The plugin's parameter page on real group settings files: which editors a
// [DIALOG] list gives, what they start with from [BASIC], and what OK writes
// back where the plugin reads it.
#include "dialogs/property_items.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/error.h"
#include "support/temp_folder.h"

namespace drwa::dialogs {
namespace {

using drwa::testing::TempFolder;

// A page built from a group settings file holding `text`.
struct Page {
    explicit Page(std::string_view text) : ini(dir / "drwa_BBS.ini") {
        dir.Write("drwa_BBS.ini", text);
        page.BuildPropertyItems(ini);
    }
    TempFolder dir;
    config::IniFile ini;
    TFramePropertyEdit page;
};

TEST(PropertyPage, HeadingCheckBoxAndRadioGroupRoundTrip) {
    Page p(
        "[BASIC]\r\nB=2\r\n"
        "[DIALOG]\r\nL000=L,,見出し\r\nL001=C,A,箱A\r\nL002=R,B=1,一\r\nL003=R,B=2,二\r\n");
    const auto& e = p.page.Editors();
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].kind, EditorKind::kHeading);
    EXPECT_EQ(e[0].Caption, "見出し");
    EXPECT_EQ(e[0].component_name, "FrameMidashi1");
    EXPECT_EQ(e[1].kind, EditorKind::kCheckBox);
    EXPECT_FALSE(e[1].Ticked());
    EXPECT_EQ(e[1].component_name, "FrameCheckBox2");
    EXPECT_EQ(e[2].kind, EditorKind::kRadioGroup);
    EXPECT_EQ(e[2].component_name, "FrameRadioGroup3");
    ASSERT_EQ(e[2].choices.size(), 2u);
    EXPECT_EQ(e[2].choices[1].caption, "二");
    EXPECT_EQ(e[2].selected, 1);

    p.page.SaveTo("BASIC", p.ini);
    EXPECT_EQ(p.dir.Read("drwa_BBS.ini"),
              "[BASIC]\r\nB=2\r\nA=0\r\n"
              "[DIALOG]\r\nL000=L,,見出し\r\nL001=C,A,箱A\r\nL002=R,B=1,一\r\nL003=R,B=2,二\r\n");
}

struct ListCase {
    const char* dialog;  // the [DIALOG] section's lines
    std::vector<PropertyItem> expected;
};

TEST(PropertyItems, ReadsUpToTheFirstEmptyOrDotValue) {
    const ListCase cases[] = {
        // The caption keeps every comma after the second.
        {"L000=T,K,名前,姓\r\n", {{"T", "K", "名前,姓"}}},
        // Fewer commas: empty trailing fields.
        {"L000=C\r\nL001=T,K\r\n", {{"C", "", ""}, {"T", "K", ""}}},
        {"L001=T,K,x\r\n", {}},
        {"L000=L,,a\r\nL001=\r\nL002=L,,b\r\n", {{"L", "", "a"}}},
        {"L000=L,,0\r\nL001=L,,1\r\nL002=L,,2\r\nL003=L,,3\r\nL004=L,,4\r\nL005=.\r\n"
         "L006=L,,6\r\nL007=L,,7\r\n",
         {{"L", "", "0"}, {"L", "", "1"}, {"L", "", "2"}, {"L", "", "3"}, {"L", "", "4"}}},
        // Keys are three digits: "L1" is not the second item.
        {"L000=L,,a\r\nL1=L,,b\r\n", {{"L", "", "a"}}},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("g.ini", std::string("[DIALOG]\r\n") + c.dialog);
        const auto items = ReadPropertyItems(config::IniFile(dir / "g.ini"));
        ASSERT_EQ(items.size(), c.expected.size()) << c.dialog;
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(items[i].kind, c.expected[i].kind) << c.dialog;
            EXPECT_EQ(items[i].key, c.expected[i].key) << c.dialog;
            EXPECT_EQ(items[i].caption, c.expected[i].caption) << c.dialog;
        }
    }
}

TEST(PropertyPage, NoItemsNoEditors) {
    for (const char* text : {"", "[BASIC]\r\nL000=C,A,x\r\n", "[DIALOG]\r\nL000=X,A,x\r\n"}) {
        Page p(text);
        EXPECT_TRUE(p.page.Empty()) << text;
    }
}

struct ValueCase {
    const char* item;    // L000's value
    const char* stored;  // [BASIC] K's line, nullptr: no such key
    EditorKind kind;
    const char* value;  // the editor's initial value
    const char* saved;  // [BASIC] K after OK
};

TEST(PropertyPage, InitialValuesAndWhatOkWrites) {
    const ValueCase cases[] = {
        {"C,K,c", nullptr, EditorKind::kCheckBox, "0", "0"},
        {"C,K,c", "K=1", EditorKind::kCheckBox, "1", "1"},
        // Only exactly "1" is ticked; anything else is saved as unticked.
        {"C,K,c", "K=2", EditorKind::kCheckBox, "2", "0"},
        {"T,K,t", nullptr, EditorKind::kText, "", ""},
        {"TS,K,t", "K=日本語 テキスト", EditorKind::kText, "日本語 テキスト", "日本語 テキスト"},
        {"TD,K,n", "K=12a", EditorKind::kNumber, "", ""},
        {"TD,K,n", "K=-1.5e3", EditorKind::kNumber, "-1.5e3", "-1.5e3"},
        {"F,K,f", "K=/tmp/a b.txt", EditorKind::kFile, "/tmp/a b.txt", "/tmp/a b.txt"},
        {"P,K,p", "K=00FF80", EditorKind::kColour, "00FF80", "00FF80"},
        {"P,K,p", "K=blue", EditorKind::kColour, "", ""},
        // The settings file ignores the blanks around a key name: so does the page.
        {"T, K ,t", "K=v", EditorKind::kText, "v", "v"},
    };
    for (const auto& c : cases) {
        std::string text = "[BASIC]\r\n";
        if (c.stored) text += std::string(c.stored) + "\r\n";
        Page p(text + "[DIALOG]\r\nL000=" + c.item + "\r\n");
        ASSERT_EQ(p.page.Editors().size(), 1u) << c.item;
        const PropertyEditor& e = p.page.Editors()[0];
        EXPECT_EQ(e.kind, c.kind) << c.item;
        EXPECT_EQ(e.Value, c.value) << c.item;
        p.page.SaveTo("BASIC", p.ini);
        EXPECT_EQ(p.ini.ReadString("BASIC", "K", "(none)"), c.saved) << c.item;
        EXPECT_EQ(p.ini.ReadSection("BASIC").size(), 1u) << c.item;
    }
}

TEST(PropertyPage, RadioGroupsEndAtOtherItems) {
    Page p(
        "[BASIC]\r\nX=b\r\nY=3\r\n"
        "[DIALOG]\r\n"
        // The pair compares without regard to case.
        "L000=R,X=A,a\r\nL001=R,x=B,b\r\n"
        "L002=Q,,unknown kinds end a group too\r\n"
        "L003=R,Y=1,1\r\nL004=R,Y=2,2\r\n"
        "L005=L,,h\r\n"
        // Nothing stored: nothing selected, even for an empty value.
        "L006=R,Z=,empty\r\nL007=R,Z=1,one\r\n");
    const auto& e = p.page.Editors();
    ASSERT_EQ(e.size(), 4u);
    EXPECT_EQ(e[0].selected, 1);
    EXPECT_EQ(e[1].component_name, "FrameRadioGroup4");
    EXPECT_EQ(e[1].choices.size(), 2u);
    EXPECT_EQ(e[1].selected, -1);
    EXPECT_EQ(e[3].selected, -1);

    // Groups without a selection leave their keys as they are.
    p.page.SaveTo("BASIC", p.ini);
    EXPECT_EQ(p.ini.ReadString("BASIC", "X", ""), "B");
    EXPECT_EQ(p.ini.ReadString("BASIC", "Y", ""), "3");
    EXPECT_FALSE(p.ini.ValueExists("BASIC", "Z"));
}

TEST(PropertyPage, SaveRefusesAnEmptySectionAndKeysThatWouldBreakTheFile) {
    // Keys a plugin's list may hold that no settings line can carry: a "["
    // would open a section inside [BASIC], a ";" make a comment, a radio key
    // without "=" has no name.
    const std::string text =
        "[BASIC]\r\nK=1\r\n[DIALOG]\r\nL000=T,[OPTION],a\r\nL001=C,;x,b\r\n"
        "L002=R,NOEQ,c\r\nL003=T,,d\r\nL004=C,K,e\r\n";
    Page p(text);
    ASSERT_EQ(p.page.Editors().size(), 5u);
    p.page.Editors()[2].selected = 0;
    try {
        p.page.SaveTo("", p.ini);
        FAIL() << "an empty section was accepted";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Sectionが空文字です");
    }
    EXPECT_EQ(p.dir.Read("drwa_BBS.ini"), text);
    p.page.SaveTo("BASIC", p.ini);
    EXPECT_EQ(p.dir.Read("drwa_BBS.ini"), text);  // K stays ticked, nothing else written
}

TEST(PropertyRules, DecimalNumbers) {
    const std::pair<const char*, bool> cases[] = {
        {"12", true},     {" -3.5 ", true}, {"+.5", true},  {"1.", true},    {"2E-3", true},
        {"12a", false},   {"", false},      {".", false},   {"-", false},    {"1e", false},
        {"1.2.3", false}, {"0x10", false},  {"1 2", false}, {"１２", false},
    };
    for (const auto& [text, reads] : cases) EXPECT_EQ(ReadsAsDecimalNumber(text), reads) << text;
    for (char c : std::string("0123456789.-+\b")) EXPECT_TRUE(IsNumberEditorKey(c)) << c;
    for (char c : std::string("aeE ,")) EXPECT_FALSE(IsNumberEditorKey(c)) << c;
}

TEST(PropertyRules, FileFilterFromTheCaption) {
    struct Case {
        const char* caption;
        const char* description;  // nullptr: no filter
        const char* pattern;
    };
    const Case cases[] = {
        {"ログ(*.txt)", "ログ", "*.txt"},
        {"a (b) 画像 (*.png;*.jpg)  ", "a (b) 画像 ", "*.png;*.jpg"},
        {"(*.*)", "", "*.*"},
        {"ファイル", nullptr, nullptr},
        {"(*.txt) です", nullptr, nullptr},
        {"*.txt)", nullptr, nullptr},
        {"空()", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        const auto filter = FileFilterOf(c.caption);
        ASSERT_EQ(filter.has_value(), c.description != nullptr) << c.caption;
        if (!filter) continue;
        EXPECT_EQ(filter->description, c.description);
        EXPECT_EQ(filter->pattern, c.pattern);
    }
}

TEST(PropertyRules, ColoursAndLabels) {
    EXPECT_EQ(ParseColourValue("0000FF"), 0x0000FFu);
    EXPECT_EQ(ParseColourValue("80000005"), 0x80000005u);  // a system colour stays readable
    for (const char* bad : {"", "GG0000", "12 34", "-1", "$FF", "123456789"})
        EXPECT_FALSE(ParseColourValue(bad)) << bad;
    EXPECT_EQ(ColourValueText(0xabcdef), "ABCDEF");
    EXPECT_EQ(ColourValueText(0xff), "0000FF");

    PropertyEditor e;
    e.Caption = "名前";
    e.Value = "a\"b";
    EXPECT_EQ(e.LabelText(), "名前 \"a\"\"b\"");
}

}  // namespace
}  // namespace drwa::dialogs
