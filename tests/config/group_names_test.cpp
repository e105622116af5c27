#include "config/group_names.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/error.h"
#include "config/group_fixture.h"

namespace drwa::config {
namespace {

using drwa::testing::GroupAccount;

constexpr const char* kBadName = "名前が不適切です。\\ や / は使えません。";

TEST(GroupFolderName, ChecksOfATypedName) {
    struct Case {
        std::string name;
        std::string problem;  // empty: accepted
    } cases[] = {
        {"News", ""},
        {"表示", ""},  // 0x5C as a trail byte is no separator
        {"a..b", ""},
        {"2ch-ニュース", ""},
        {"", "名前を入力してください"},
        {"my news", "名前に' '(スペース)は使えません"},
        {" x", "名前に' '(スペース)は使えません"},
        {"my　news", "名前に'　'(スペース)は使えません"},  // U+3000
        {"a\\b", kBadName},
        {"a/b", kBadName},
        {"/x", kBadName},
        {"..", kBadName},
        {".", kBadName},
        {"a.", kBadName},  // Windows drops the trailing dot: it would name "a"
        {"..\\..\\x", kBadName},
        {std::string("a\0b", 3), kBadName},
    };
    for (const auto& c : cases) EXPECT_EQ(FolderNameProblem(c.name), c.problem) << c.name;
}

TEST(GroupFolderName, NewGroupCreatesTheFolder) {
    GroupAccount acc;  // no BBS folder yet: it is made on the way
    FolderNameEdit edit{"News", true};
    std::string current;
    CommitGroupFolderName(acc.DataFolder(), edit, current);
    EXPECT_TRUE(std::filesystem::is_directory(acc.folder.native() / "BBS" / "News"));
    EXPECT_EQ(current, "News");
    EXPECT_FALSE(edit.modified);

    // An existing folder is fine for a new group.
    FolderNameEdit again{"News", true};
    std::string none;
    CommitGroupFolderName(acc.DataFolder(), again, none);
    EXPECT_EQ(none, "News");
}

TEST(GroupFolderName, RefusedNameChangesNothing) {
    GroupAccount acc;
    acc.AddGroup("OLD");
    FolderNameEdit edit{"..", true};
    std::string current = "OLD";
    EXPECT_THROW(CommitGroupFolderName(acc.DataFolder(), edit, current), Error);
    EXPECT_EQ(current, "OLD");
    EXPECT_TRUE(edit.modified);
    EXPECT_TRUE(acc.Has("OLD"));
}

TEST(GroupFolderName, RenameOnlyWhenTheUserChangedTheName) {
    GroupAccount acc;
    acc.AddGroup("OLD", "GUID=X\r\n");
    FolderNameEdit untouched{"NEW", false};
    std::string current = "OLD";
    CommitGroupFolderName(acc.DataFolder(), untouched, current);
    EXPECT_TRUE(acc.Has("OLD"));
    EXPECT_FALSE(acc.Has("NEW"));
    EXPECT_EQ(current, "NEW");

    FolderNameEdit changed{"NEW", true};
    current = "OLD";
    CommitGroupFolderName(acc.DataFolder(), changed, current);
    EXPECT_FALSE(acc.Has("OLD"));
    EXPECT_EQ(acc.GroupSetting("NEW", "GUID"), "X");
    EXPECT_EQ(current, "NEW");

    // Same name, changed and back: nothing to move.
    FolderNameEdit same{"NEW", true};
    CommitGroupFolderName(acc.DataFolder(), same, current);
    EXPECT_TRUE(acc.Has("NEW"));
}

TEST(GroupFolderName, RenameNeverReplacesAnExistingFolder) {
    GroupAccount acc;
    acc.AddGroup("OLD", "GUID=X\r\n");
    std::filesystem::create_directories(acc.folder.native() / "BBS" / "TAKEN");  // empty
    FolderNameEdit edit{"TAKEN", true};
    std::string current = "OLD";
    try {
        CommitGroupFolderName(acc.DataFolder(), edit, current);
        FAIL() << "renamed over an existing folder";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "TAKENへの変更はできませんでした");
    }
    EXPECT_EQ(acc.GroupSetting("OLD", "GUID"), "X");
    EXPECT_EQ(current, "OLD");
}

TEST(GroupFolderName, FolderThatCannotBeCreated) {
    GroupAccount acc;
    acc.folder.Write("BBS/News", "a file, not a folder");
    FolderNameEdit edit{"News", true};
    std::string current;
    try {
        CommitGroupFolderName(acc.DataFolder(), edit, current);
        FAIL() << "a folder made where a file is";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "フォルダ：Newsは作成できませんでした");
    }
    EXPECT_EQ(current, "");
    EXPECT_EQ(acc.folder.Read("BBS/News"), "a file, not a folder");
}

}  // namespace
}  // namespace drwa::config
