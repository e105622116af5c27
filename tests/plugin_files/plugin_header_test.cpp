// The comment header and dialog block of a plugin script, as the group
// dialog reads them.
#include "plugin_files/plugin_header.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace drwa::plugin_files {
namespace {

TEST(PluginHeader, VersionAuthorAndTarget) {
    struct Case {
        std::vector<std::string> lines;
        PluginHeader expected;
    };
    const std::vector<Case> cases{
        {{"# Ver 1.23 (a remark)", "# for TestBoard", "# by someone", "use strict;"},
         {"1.23", "someone", "TestBoard"}},
        {{"#!/usr/bin/perl", "", "# VERSION 1.0（試作） FOR 板 BY 作者"},
         {"1.0", "作者", "板 BY 作者"}},
        {{"# version 2.0 for Board ver 2"}, {"2.0", "", "Board"}},
        // The walk stops at the first line of code.
        {{"use strict;", "# Ver 9"}, {}},
        // Trail bytes that look like letters are neither upper-cased nor
        // matched: "プ" is 0x83 'v', "シ" 0x83 'V'.
        {{"# プer シER 3"}, {}},
        {{"# ver\x81\x40"
          "4"},
         {}},
    };
    for (const Case& c : cases) {
        const PluginHeader got = ParsePluginHeader(c.lines);
        EXPECT_EQ(got.version, c.expected.version) << c.lines.back();
        EXPECT_EQ(got.author, c.expected.author) << c.lines.back();
        EXPECT_EQ(got.target, c.expected.target) << c.lines.back();
    }
}

TEST(PluginHeader, DialogBlockSplitsWrittenLineBreaksOutsideDoubleByteCharacters) {
    const auto entries = ExtractDialogBlock(
        {"#[dialog]", "  #A=1\\nB=2", "#C=表n", "no equals sign", "#[/DIALOG]", "#D=4"});
    ASSERT_TRUE(entries);
    const DialogEntries expected{{"A", "1"}, {"B", "2"}, {"C", "表n"}};
    EXPECT_EQ(*entries, expected);
    EXPECT_FALSE(ExtractDialogBlock({"# no block", "#[/DIALOG]"}));
}

}  // namespace
}  // namespace drwa::plugin_files
