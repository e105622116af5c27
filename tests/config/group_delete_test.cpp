#include "config/group_delete.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <vector>

#include "common/error.h"
#include "config/group_fixture.h"
#include "config/group_list.h"
#include "platform/question.h"

namespace drwa::config {
namespace {

using drwa::testing::GroupAccount;
using ::testing::HasSubstr;
using ::testing::Return;

class MockQuestions : public platform::QuestionService {
  public:
    MOCK_METHOD(platform::Answer, AskOkCancel, (std::string_view), (override));
    MOCK_METHOD(bool, AskYesNo, (std::string_view), (override));
    MOCK_METHOD(void, ShowError, (std::string_view), (override));
    MOCK_METHOD(void, ShowInformation, (std::string_view), (override));
};

constexpr const char* kFiveGroups =
    "[PLUGIN]\r\nGROUP_COUNT=5\r\n"
    "[00001]\r\nFOLDER_NAME=G1\r\n[00002]\r\nFOLDER_NAME=G2\r\n[00003]\r\nFOLDER_NAME=G3\r\n"
    "[00004]\r\nFOLDER_NAME=G4\r\n[00005]\r\nFOLDER_NAME=G5\r\n";

struct FiveGroups : GroupAccount {
    FiveGroups() : GroupAccount(kFiveGroups) {
        for (const char* name : {"G1", "G2", "G3", "G4", "G5"}) AddGroup(name);
        folder.Write("BBS/G2/board.cmt", "articles");
    }
};

TEST(GroupDelete, TheQuestionSaysWhetherTheTrashTakesThem) {
    EXPECT_EQ(DeletionQuestion(Deletion::kToTrash),
              "選択されたグループを削除してよろしいですか？\n"
              "データも削除されます（すべてゴミ箱に入ります）");
    EXPECT_EQ(DeletionQuestion(Deletion::kForGood),
              "選択されたグループを完全に削除してよろしいですか？\n"
              "データも完全に削除されます（ゴミ箱には入りません）");
}

TEST(GroupDelete, CancelChangesNothingAtAll) {
    FiveGroups acc;
    const std::string before = acc.AccountBytes();
    MockQuestions questions;
    EXPECT_CALL(questions, AskOkCancel(DeletionQuestion(Deletion::kForGood)))
        .WillOnce(Return(platform::Answer::kCancel));
    IniFile account = acc.Account();
    EXPECT_FALSE(
        DeleteGroups(account, std::vector<std::int32_t>{1, 2}, Deletion::kForGood, questions));
    EXPECT_EQ(acc.AccountBytes(), before);
    EXPECT_TRUE(acc.Has("G2/board.cmt"));
    EXPECT_TRUE(acc.Has("G3"));
}

TEST(GroupDelete, DeletingTwoOfFiveRebuildsTheList) {
    FiveGroups acc;
    MockQuestions questions;
    EXPECT_CALL(questions, AskOkCancel).WillOnce(Return(platform::Answer::kOk));
    IniFile account = acc.Account();
    EXPECT_TRUE(
        DeleteGroups(account, std::vector<std::int32_t>{1, 2}, Deletion::kForGood, questions));
    EXPECT_FALSE(acc.Has("G2"));
    EXPECT_FALSE(acc.Has("G3"));
    EXPECT_TRUE(acc.Has("G4"));
    EXPECT_EQ(GroupCount(account), 3);
    EXPECT_EQ(FolderNameOf(account, 1), "G4");
    EXPECT_FALSE(account.SectionExists("00004"));
    EXPECT_EQ(account.ReadString("00005", "FOLDER_NAME", ""), "G5");  // beyond the count
}

TEST(GroupDelete, EmptyNamesAndGroupsAlreadyTakenArePassedOver) {
    GroupAccount acc(
        "[PLUGIN]\r\nGROUP_COUNT=3\r\n[00001]\r\nFOLDER_NAME=A\r\n"
        "[00002]\r\nFOLDER_NAME=A\\X\r\n[00003]\r\nFOLDER_NAME=AB\r\n");
    acc.AddGroup("A");
    acc.AddGroup("A/X");
    acc.AddGroup("AB");
    MockQuestions questions;
    EXPECT_CALL(questions, AskOkCancel).WillOnce(Return(platform::Answer::kOk));
    IniFile account = acc.Account();
    // A takes A\X with it; 0 twice; 9 has no FOLDER_NAME. "AB" only shares a prefix.
    EXPECT_TRUE(DeleteGroups(account, std::vector<std::int32_t>{0, 1, 0, 9}, Deletion::kForGood,
                             questions));
    EXPECT_FALSE(acc.Has("A"));
    EXPECT_TRUE(acc.Has("AB"));
    EXPECT_EQ(GroupCount(account), 1);
}

TEST(GroupDelete, NameLeadingOutOfTheDataFolderDeletesNothing) {
    GroupAccount acc(
        "[PLUGIN]\r\nGROUP_COUNT=2\r\n[00001]\r\nFOLDER_NAME=G1\r\n"
        "[00002]\r\nFOLDER_NAME=..\r\n");
    acc.AddGroup("G1");
    const std::string before = acc.AccountBytes();
    MockQuestions questions;
    EXPECT_CALL(questions, AskOkCancel).WillOnce(Return(platform::Answer::kOk));
    IniFile account = acc.Account();
    try {
        DeleteGroups(account, std::vector<std::int32_t>{0, 1}, Deletion::kForGood, questions);
        FAIL() << "deleted above the data folder";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("グループのフォルダ名が不適切です"));
    }
    EXPECT_TRUE(acc.Has("G1"));
    EXPECT_TRUE(acc.folder.Exists("account.ini"));
    EXPECT_EQ(acc.AccountBytes(), before);
}

TEST(GroupDelete, FailureStopsWithoutRebuilding) {
    FiveGroups acc;
    acc.folder.Write("BBS/G4/keep.txt", "");
    std::filesystem::remove_all(acc.folder.native() / "BBS" / "G3");  // gone behind our back
    const std::string before = acc.AccountBytes();
    MockQuestions questions;
    EXPECT_CALL(questions, AskOkCancel).WillOnce(Return(platform::Answer::kOk));
    IniFile account = acc.Account();
    try {
        DeleteGroups(account, std::vector<std::int32_t>{1, 2, 3}, Deletion::kForGood, questions);
        FAIL() << "no error for the missing folder";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("システム エラー。コード : "));
    }
    EXPECT_FALSE(acc.Has("G2")) << "deleted before the failure: stays deleted";
    EXPECT_TRUE(acc.Has("G4/keep.txt")) << "after the failure: untouched";
    EXPECT_EQ(acc.AccountBytes(), before) << "no rebuild after a failure";
}

#ifndef _WIN32
// The terminal prompt of the Linux host: one line from the input, "y" or "yes"
// is OK.
TEST(TerminalQuestionsTest, AnswersReadFromALine) {
    struct Case {
        std::string input;
        platform::Answer answer;
        std::string left;  // what the question must leave unread
    } cases[] = {
        {"y\n", platform::Answer::kOk, ""},
        {"Y\nnext\n", platform::Answer::kOk, "next\n"},
        {"yes\r\n", platform::Answer::kOk, ""},
        {" YES \n", platform::Answer::kOk, ""},
        {"n\n", platform::Answer::kCancel, ""},
        {"yy\n", platform::Answer::kCancel, ""},
        {"\n", platform::Answer::kCancel, ""},
        {"", platform::Answer::kCancel, ""},  // end of input: the safe answer
        {"y", platform::Answer::kOk, ""},     // last line without its break
    };
    for (const auto& c : cases) {
        int in[2], out[2];
        ASSERT_EQ(::pipe(in), 0);
        ASSERT_EQ(::pipe(out), 0);
        ASSERT_EQ(::write(in[1], c.input.data(), c.input.size()),
                  static_cast<ssize_t>(c.input.size()));
        ::close(in[1]);
        platform::TerminalQuestions terminal(in[0], out[1]);
        EXPECT_EQ(terminal.AskOkCancel("削除しますか？\n元に戻せません"), c.answer) << c.input;
        ::close(out[1]);
        char buf[512];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        std::string shown(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        EXPECT_THAT(shown,
                    HasSubstr(reinterpret_cast<const char*>(u8"削除しますか？\n元に戻せません")))
            << "shown in UTF-8";
        n = ::read(in[0], buf, sizeof buf);
        EXPECT_EQ(std::string(buf, n > 0 ? static_cast<std::size_t>(n) : 0), c.left) << c.input;
        ::close(in[0]);
        ::close(out[0]);
    }
}

#endif

}  // namespace
}  // namespace drwa::config
