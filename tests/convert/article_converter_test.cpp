// Whole conversions on real folders: which mails appear under which names,
// what the number list and the board file hold afterwards, and that no
// article is lost when the spool folder cannot take its mail.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "account_fixture.h"
#include "common/error.h"
#include "convert/article_converter.h"
#include "convert/mail_formats.h"
#include "platform/charset_edge.h"
#include "text/code_conversions.h"
#include "text/filename_base64.h"

namespace drwa::testing {
namespace {

const std::string kDup = text::EncodeFileNameBase64("duplicate_numbers");

// The names in the spool, a GUID suffix shown as "<GUID>".
std::vector<std::string> Shapes(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (std::string n : names) {
        if (EndsWithGuid(n)) n = n.substr(0, n.size() - 40) + "<GUID>.eml";
        out.push_back(n);
    }
    std::sort(out.begin(), out.end());
    return out;
}

struct DuplicateCase {
    const char* what;
    bool save_number;
    bool convert_again;  // a second receive of the same file, the spool emptied between
    std::vector<std::string> mails;
    std::string number_list;
};

TEST(ConvertArticleFile, DuplicatesByNumberAndForcedDelivery) {
    const std::string first = MailName(kDup, "0000000070");
    const std::string forced = kDup + "." + std::string(kGroupGuid) + ".0000000070.<GUID>.eml";
    // "<" sorts before "e".
    ASSERT_LT(forced, first);
    const DuplicateCase cases[] = {
        // Number 70 three times: the second is dropped, the third carries "O"
        // and goes out beside the first under a GUID-suffixed name.
        {"number list on", true, false, {forced, first}, "70\r\n"},
        // Without the list the first mail still waiting in the spool is what
        // marks the second as delivered.
        {"number list off", false, false, {forced, first}, ""},
        // With the list nothing comes again but the forced article, now under
        // the plain name as the spool is empty.
        {"number list on, again", true, true, {first}, "70\r\n"},
        // Without the list an emptied spool gets the article again.
        {"number list off, again", false, true, {forced, first}, ""},
    };
    for (const auto& c : cases) {
        AccountFixture account("", c.save_number ? "SAVE_NUMBER=1\r\n" : "SAVE_NUMBER=0\r\n");
        account.Convert(account.AddArticleFile("duplicate_numbers.cm$"));
        if (c.convert_again) {
            std::filesystem::remove_all(account.folder().native() / "spool");
            account.Convert(account.AddArticleFile("duplicate_numbers.cm$"));
        }
        EXPECT_EQ(Shapes(account.MailNames()), c.mails) << c.what;
        EXPECT_EQ(account.folder().Read("BBS/NEWS/duplicate_numbers.lst"), c.number_list) << c.what;
        EXPECT_FALSE(account.folder().Exists("BBS/NEWS/duplicate_numbers.cm$")) << c.what;
    }
}

TEST(ConvertArticleFile, ForcedMailKeepsItsOwnBody) {
    AccountFixture account("", "SAVE_NUMBER=1\r\n");
    account.Convert(account.AddArticleFile("duplicate_numbers.cm$"));
    const std::string first = MailName(kDup, "0000000070");
    auto names = account.MailNames();
    ASSERT_EQ(names.size(), 2u);
    if (names[0] == first) std::swap(names[0], names[1]);
    ASSERT_EQ(names[1], first);
    EXPECT_EQ(text::Iso2022JpToShiftJis(MailBody(account.Mail(first))), "一回目\r\n");
    EXPECT_EQ(text::Iso2022JpToShiftJis(MailBody(account.Mail(names[0]))), "強制配信\r\n");
}

TEST(ConvertArticleFile, SameUnnumberedArticleTwiceIsOneMail) {
    AccountFixture account;
    account.Convert(account.AddArticleFile("star_article_twice.cm$"));
    const std::string key = convert::HashKey("甲同じ記事2003/12/0110:00");
    EXPECT_EQ(account.MailNames(), std::vector<std::string>{MailName(
                                       text::EncodeFileNameBase64("star_article_twice"), key)});
}

// A record cut off by the end of the file is not marked delivered: when the
// plugin writes it whole next time, it becomes a mail.
TEST(ConvertArticleFile, CutOffRecordComesAgainNextTime) {
    AccountFixture account("", "SAVE_NUMBER=1\r\n");
    account.Convert(account.AddArticleFile("cut_off_record.cm$"));
    const std::string source = text::EncodeFileNameBase64("cut_off_record");
    EXPECT_EQ(account.MailNames(), std::vector<std::string>{MailName(source, "0000000021")});
    EXPECT_EQ(account.folder().Read("BBS/NEWS/cut_off_record.lst"), "21\r\n");

    account.folder().Write("BBS/NEWS/cut_off_record.cm$",
                           ReadFixture("cut_off_record.cm$") + "\n.\n");
    account.Convert(account.folder() / "BBS/NEWS/cut_off_record.cm$");
    EXPECT_EQ(account.MailNames(), (std::vector<std::string>{MailName(source, "0000000021"),
                                                             MailName(source, "0000000022")}));
    EXPECT_EQ(account.folder().Read("BBS/NEWS/cut_off_record.lst"), "21\r\n22\r\n");
}

struct BoardFileCase {
    const char* fixture;
    std::string board_file;  // after the conversion; "old" is the one there before
    std::size_t mails;
};

TEST(ConvertArticleFile, BoardFileIsTheHeaderBlock) {
    const BoardFileCase cases[] = {
        {"sjis_board.cm$",
         "#F:POST,http://bbs.example.jp/test/write.cgi,bbs=news&key=$Sr&FROM=$N&MESSAGE=$M\n"
         "#P:POST,http://bbs.example.jp/test/write.cgi,bbs=news&subject=$T&FROM=$N&MESSAGE=$M\n"
         "#T:ニュース速報板\n#LAST:3 最終取得\n",
         3},
        // Written in Shift_JIS whatever the article file was in.
        {"euc_board.cm$",
         "#F:POST,http://bbs.example.jp/test/write.cgi,bbs=news&key=$Sr&FROM=$N&MESSAGE=$M\n"
         "#P:POST,http://bbs.example.jp/test/write.cgi,bbs=news&subject=$T&FROM=$N&MESSAGE=$M\n"
         "#T:ニュース速報板\n#LAST:3 最終取得\n",
         3},
        // Board keys inside a body are not written back.
        {"body_board_key.cm$", "#P:POST,http://bbs.example.jp/post.cgi,text=$M\n#T:本文中の鍵\n",
         2},
        // No record: the plugin's board file stays as it was.
        {"header_only.cm$", "old", 0},
        // A blank first line: no header block, so nothing is written back.
        {"leading_blank_line.cm$", "old", 1},
    };
    for (const auto& c : cases) {
        AccountFixture account;
        const std::string stem =
            std::string(c.fixture).substr(0, std::string(c.fixture).size() - 4);
        const std::string board = "BBS/NEWS/" + stem + ".cmt";
        account.folder().Write(board, "old");
        account.Convert(account.AddArticleFile(c.fixture));
        EXPECT_EQ(account.folder().Read(board), c.board_file) << c.fixture;
        EXPECT_EQ(account.MailNames().size(), c.mails) << c.fixture;
        EXPECT_FALSE(account.folder().Exists("BBS/NEWS/" + std::string(c.fixture))) << c.fixture;
    }
}

TEST(ConvertArticleFile, SameBoardInThreeCodesGivesTheSameMails) {
    std::vector<std::string> mails[3];
    std::string boards[3];
    const char* fixtures[] = {"sjis_board.cm$", "euc_board.cm$", "jis_board.cm$"};
    for (int i = 0; i < 3; ++i) {
        AccountFixture account;
        // One name for all three, so that the addresses agree.
        account.Convert(account.AddArticleFile(fixtures[i], "board.cm$"));
        mails[i] = account.Mails();
        boards[i] = account.folder().Read("BBS/NEWS/board.cmt");
    }
    ASSERT_EQ(mails[0].size(), 3u);
    for (int i = 1; i < 3; ++i) {
        EXPECT_EQ(mails[i], mails[0]) << fixtures[i];
        EXPECT_EQ(boards[i], boards[0]) << fixtures[i];
    }
}

// The spool folder cannot be made: a file stands where it should be.
TEST(ConvertArticleFile, SpoolThatCannotBeWrittenKeepsTheArticleFile) {
    AccountFixture account("", "SAVE_NUMBER=1\r\n");
    account.folder().Write("spool", "in the way");
    const std::string article = account.AddArticleFile("sjis_board.cm$");
    try {
        account.Convert(article);
        FAIL() << "the conversion reported success";
    } catch (const Error& e) {
        const std::string message = platform::Cp932ToUtf8(e.what());
        EXPECT_NE(message.find(platform::Cp932ToUtf8(account.folder() / "spool")),
                  std::string::npos)
            << message;
    }
    EXPECT_TRUE(account.folder().Exists("BBS/NEWS/sjis_board.cm$"));
    EXPECT_FALSE(account.folder().Exists("BBS/NEWS/sjis_board.lst"));

    // Once the way is clear the next receive delivers everything.
    std::filesystem::remove(account.folder().native() / "spool");
    account.Convert(article);
    EXPECT_EQ(account.MailNames().size(), 3u);
    EXPECT_FALSE(account.folder().Exists("BBS/NEWS/sjis_board.cm$"));
}

// The import's conversion leaves the file it was given where it was.
TEST(ConvertArticleFile, ImportKeepsItsSource) {
    AccountFixture account;
    const std::string article = account.AddArticleFile("sjis_board.cm$");
    account.Convert(article, false);
    EXPECT_TRUE(account.folder().Exists("BBS/NEWS/sjis_board.cm$"));
    EXPECT_EQ(account.MailNames().size(), 3u);
}

// Importing the group's own board file (a host log with records) must not
// replace it by its header block, however the path to it is written.
TEST(ConvertArticleFile, ImportOfTheBoardFileItselfKeepsIt) {
    const char* paths[] = {"BBS/NEWS/sjis_board.cmt", "BBS/NEWS/./sjis_board.cmt",
                           "BBS//NEWS/sjis_board.cmt", "BBS/../BBS/NEWS/sjis_board.cmt"};
    for (const char* path : paths) {
        AccountFixture account;
        const std::string log = ReadFixture("sjis_board.cm$");
        account.folder().Write("BBS/NEWS/sjis_board.cmt", log);
        account.Convert(account.folder() / path, false);
        EXPECT_EQ(account.MailNames().size(), 3u) << path;
        EXPECT_EQ(account.folder().Read("BBS/NEWS/sjis_board.cmt"), log) << path;
    }
}

}  // namespace
}  // namespace drwa::testing

namespace drwa::testing {
namespace {

// A receive converts every article file of the group folder, reports its
// start and end, and leaves hidden files and other kinds alone.
TEST(ConvertGroupArticles, EveryArticleFileOfTheGroup) {
    AccountFixture account;
    account.AddArticleFile("nul_in_body.cm$", "b.cm$");
    account.AddArticleFile("status_fields.cm$", "A.CM$");
    account.AddArticleFile("quoted_number.cm$", ".hidden.cm$");
    account.AddArticleFile("cut_off_record.cm$", "old.cmt");
    std::vector<std::string> reports;
    convert::ConvertGroupArticles(account.folder() / "account.ini",
                                  account.folder() / "BBS/NEWS/drwa_BBS.ini",
                                  [&](const std::string& text) { reports.push_back(text); });

    EXPECT_EQ(account.MailNames().size(), 2u + 3u);
    EXPECT_FALSE(account.folder().Exists("BBS/NEWS/b.cm$"));
    EXPECT_FALSE(account.folder().Exists("BBS/NEWS/A.CM$"));
    EXPECT_TRUE(account.folder().Exists("BBS/NEWS/.hidden.cm$"));
    EXPECT_TRUE(account.folder().Exists("BBS/NEWS/old.cmt"));
    // Two levels above the group folder is the account folder.
    const std::string account_name =
        std::filesystem::path(account.folder().native()).filename().string();
    EXPECT_EQ(reports, (std::vector<std::string>{account_name + " NEWS eml変換開始",
                                                 account_name + " NEWS 終了"}));
}

}  // namespace
}  // namespace drwa::testing
