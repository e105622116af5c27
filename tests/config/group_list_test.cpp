#include "config/group_list.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "config/group_fixture.h"

namespace drwa::config {
namespace {

using drwa::testing::GroupAccount;

constexpr const char* kThreeGroups =
    "[PLUGIN]\r\nGROUP_COUNT=3\r\n"
    "[00001]\r\nFOLDER_NAME=ONE\r\n"
    "[00002]\r\nFOLDER_NAME=TWO\r\n"
    "[00003]\r\nFOLDER_NAME=THREE\r\n";

TEST(GroupList, IndexesThatNameNoSection) {
    GroupAccount acc(kThreeGroups);
    IniFile account = acc.Account();
    EXPECT_EQ(FolderNameOf(account, 0), "ONE");
    EXPECT_EQ(FolderNameOf(account, 2), "THREE");
    EXPECT_EQ(FolderNameOf(account, 3), "");
    EXPECT_EQ(FolderNameOf(account, -1), "");       // would be section "00000"
    EXPECT_EQ(FolderNameOf(account, INT_MAX), "");  // index + 1 would overflow
}

TEST(GroupList, EnabledFlagIsReadAsAnInteger) {
    struct Case {
        const char* basic;  // [BASIC] lines of the group's settings; null: no file
        bool enabled;
    } cases[] = {
        {"BBSFOLDER=1\r\n", true},
        {"BBSFOLDER=2\r\n", true},     // any non-zero number
        {"BBSFOLDER=$10\r\n", true},   // hexadecimal
        {"BBSFOLDER=yes\r\n", false},  // not a number: the default
        {"BBSFOLDER=0\r\n", false},
        {"", false},
        {nullptr, false},  // a group whose settings file is missing is disabled
    };
    for (const auto& c : cases) {
        GroupAccount acc(kThreeGroups);
        if (c.basic) acc.AddGroup("ONE", c.basic);
        EXPECT_EQ(ReadGroupEnabled(acc.Account(), 0), c.enabled) << (c.basic ? c.basic : "none");
    }
    GroupAccount acc(kThreeGroups);
    EXPECT_FALSE(ReadGroupEnabled(acc.Account(), 5)) << "no FOLDER_NAME";
}

TEST(GroupList, SetEnabledStopsAtTheFirstIndexWithoutAGroup) {
    GroupAccount acc(kThreeGroups);
    for (const char* name : {"ONE", "TWO", "THREE"}) acc.AddGroup(name, "BBSFOLDER=0\r\n");
    const std::vector<std::int32_t> indexes{0, 7, 1};  // section 00008 has no FOLDER_NAME
    WriteGroupsEnabled(acc.Account(), indexes, true);
    EXPECT_EQ(acc.GroupSetting("ONE", "BBSFOLDER"), "1");
    EXPECT_EQ(acc.GroupSetting("TWO", "BBSFOLDER"), "0");

    WriteGroupsEnabled(acc.Account(), std::vector<std::int32_t>{2, 0}, false);
    EXPECT_EQ(acc.GroupSetting("THREE", "BBSFOLDER"), "0");
    EXPECT_EQ(acc.GroupSetting("ONE", "BBSFOLDER"), "0");
}

TEST(GroupList, StoredNamesInsideTheDataFolder) {
    struct Case {
        std::string name;
        bool inside;
    } cases[] = {
        {"NEWS", true},       {"NEWS\\LOCAL", true},
        {"表示", true},  // 0x5C trail byte, not a level break
        {"a..b", true},  // dots inside a name are fine
        {"", false},          {".", false},
        {"..", false},        {"NEWS\\..\\..", false},
        {"\\NEWS", false},  // empty first level: the data folder's root
        {"NEWS\\", false},  // empty last level: NEWS itself is another group
        {"NEWS\\\\X", false}, {"a/b", false},
        {"/etc", false},      {std::string("a\0b", 3), false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsInsideDataFolder(c.name), c.inside) << c.name;
}

}  // namespace
}  // namespace drwa::config
