#include "config/group_registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "config/folders.h"
#include "config/group_fixture.h"
#include "config/group_list.h"
#include "platform/files.h"

namespace drwa::config {
namespace {

using drwa::testing::GroupAccount;

std::vector<std::string> Listed(const IniFile& account) {
    std::vector<std::string> names;
    for (int i = 0; i < GroupCount(account); ++i) names.push_back(FolderNameOf(account, i));
    return names;
}

TEST(GroupNameOrder, CaseBlindWithNestedGroupsRightAfterTheirParent) {
    struct Case {
        std::string a, b;
        bool less;
    } cases[] = {
        {"a", "B", true},
        {"B", "a", false},
        {"A", "A\\X", true},
        {"A\\X", "A-B", true},  // "\" sorts before every other character
        {"A\\X", "AB", true},
        {"NEWS", "News", true},  // same letters: byte order decides, both kept
        {"News", "NEWS", false},
        {"NEWS", "NEWS", false},
        {"表", "表\\X", true},  // 0x5C as a trail byte is no level break
        {"表\\X", "表A", true},
        {"Z", "雑談", true},
    };
    GroupNameLess less;
    for (const auto& c : cases) EXPECT_EQ(less(c.a, c.b), c.less) << c.a << " < " << c.b;
}

TEST(GroupRegistry, RebuildListsGroupFoldersWithoutRegardToCase) {
    GroupAccount acc(
        "[PLUGIN]\r\nGROUP_COUNT=9\r\n[00004]\r\nFOLDER_NAME=OLD\r\n"
        "[00005]\r\nFOLDER_NAME=OLDER\r\n");
    acc.AddGroup("B");
    acc.AddGroup("a");
    acc.AddGroup("C");
    acc.AddPlainFolder("plain");
    acc.AddGroup(".hidden");                // a name starting with "." is never a group
    acc.folder.Write("BBS/file.txt", "x");  // files are not groups
    acc.AddGroup("雑談");

    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"a", "B", "C", "雑談"}));
    EXPECT_FALSE(account.SectionExists("00005")) << "the one section after the list is erased";
    EXPECT_EQ(account.ReadString("00006", "FOLDER_NAME", "-"), "-");

    // One group fewer: only the section right after the list goes.
    std::filesystem::remove_all(acc.folder.native() / "BBS" / "C");
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"a", "B", "雑談"}));
    EXPECT_FALSE(account.SectionExists("00004"));
    EXPECT_EQ(account.ReadString("00001", "FOLDER_NAME", ""), "a");
}

TEST(GroupRegistry, NestedGroupGetsItsOwnIdentityOnce) {
    GroupAccount acc;
    const std::string parent_guid = "11111111-2222-3333-4444-555555555555";
    acc.AddGroup("A", "GUID=" + parent_guid + "\r\n");
    acc.AddGroup("A/X", "GUID=" + parent_guid + "\r\n");  // copied from its parent
    acc.AddGroup("A/X/Y", "GUID=" + parent_guid + "\r\nSUB_DIR=1\r\n");
    acc.AddGroup("AB");
    acc.AddPlainFolder("A/plain");
    acc.AddGroup("A/plain/hidden");  // below a folder that is not a group

    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"A", "A\\X", "A\\X\\Y", "AB"}));
    const std::string x_guid = acc.GroupSetting("A/X", "GUID");
    EXPECT_EQ(x_guid.size(), 36u);
    EXPECT_NE(x_guid, parent_guid);
    EXPECT_EQ(acc.GroupSetting("A/X", "SUB_DIR"), "1");
    EXPECT_EQ(acc.GroupSetting("A", "GUID"), parent_guid) << "a top-level group keeps its own";
    EXPECT_EQ(acc.GroupSetting("A", "SUB_DIR"), "");
    EXPECT_EQ(acc.GroupSetting("A/X/Y", "GUID"), parent_guid) << "SUB_DIR set: already its own";
    EXPECT_EQ(acc.GroupSetting("A/plain/hidden", "SUB_DIR"), "") << "never visited";

    RebuildGroupRegistry(account);
    EXPECT_EQ(acc.GroupSetting("A/X", "GUID"), x_guid);
}

TEST(GroupRegistry, SecondRebuildOfAnUnchangedTreeDoesNotRewriteTheFile) {
    GroupAccount acc;
    acc.AddGroup("NEWS");
    acc.AddGroup("NEWS/LOCAL");
    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    const auto stamp = platform::StampOf(acc.AccountPath());
    const std::string bytes = acc.AccountBytes();
    RebuildGroupRegistry(account);
    EXPECT_EQ(acc.AccountBytes(), bytes);
    EXPECT_EQ(platform::StampOf(acc.AccountPath()), stamp) << "rewritten though nothing changed";
}

TEST(GroupRegistry, DoubleByteNamesWhoseTrailByteIsABackslash) {
    GroupAccount acc;
    acc.AddGroup("表示");  // 0x95 0x5C 0x8E 0xA6
    acc.AddGroup("表示/ソフト");
    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"表示", "表示\\ソフト"}));
    EXPECT_EQ(GroupFolder(GetDataFolder(account), FolderNameOf(account, 1)),
              acc.folder / "BBS/表示/ソフト");
}

TEST(GroupRegistry, NamesThatCannotBeStoredAreNotListed) {
    GroupAccount acc;
    acc.AddGroup("OK");
    // A backslash inside one native name would read back as two levels, and a
    // name without a Shift_JIS form cannot be written to the settings file.
    for (const char* native : {"a\\b", "\xF0\x9F\x98\x80"}) {
        std::filesystem::create_directories(acc.folder.native() / "BBS" / native);
        std::ofstream(acc.folder.native() / "BBS" / native / "drwa_BBS.ini") << "[BASIC]\n";
    }
    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"OK"}));
}

TEST(GroupRegistry, LinkedFoldersAreFollowedButNeverLoop) {
#ifdef _WIN32
    GTEST_SKIP() << "symbolic links need a privilege on Windows";
#endif
    GroupAccount acc;
    const std::string guid = "AAAAAAAA-2222-3333-4444-555555555555";
    acc.AddGroup("A", "GUID=" + guid + "\r\n");
    // A link back to its own group folder: following it would list A\SELF,
    // A\SELF\SELF, ... and hand A a new identity as if it were nested.
    std::filesystem::create_directory_symlink(".", acc.folder.native() / "BBS" / "A" / "SELF");
    // A group kept elsewhere and linked in is a group like any other.
    acc.folder.Write("elsewhere/EXT/drwa_BBS.ini", "[BASIC]\r\n");
    std::filesystem::create_directory_symlink(acc.folder.native() / "elsewhere" / "EXT",
                                              acc.folder.native() / "BBS" / "EXT");
    IniFile account = acc.Account();
    RebuildGroupRegistry(account);
    EXPECT_EQ(Listed(account), (std::vector<std::string>{"A", "EXT"}));
    EXPECT_EQ(acc.GroupSetting("A", "GUID"), guid);
}

}  // namespace
}  // namespace drwa::config
