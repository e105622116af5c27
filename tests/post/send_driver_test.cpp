// Sending through the SendAll export, as a host does it: mails in the outbox,
// a board server on 127.0.0.1 for HTTP posts, a real Perl plugin for queued
// ones.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "support/board_server.h"
#include "support/plugin_loader.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "support/test_account.h"
#include "text/filename_base64.h"
#include "text/japanese_code.h"

namespace drwa {
namespace {

using testing::BoardServer;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::LoadedPlugin;
using ::testing::Not;
using testing::ProgressRecorder;
using testing::SpoolMails;
using testing::TempFolder;
using testing::TestGroup;
using testing::WriteAccount;

const std::string kLibGuid = "5A000000-0000-0000-0000-000000000001";
const std::string kHttpGuid = "5A000000-0000-0000-0000-000000000002";
constexpr const char* kDomain = "@bbs.invalid";
constexpr const char* kStopped = "送信はユーザーにより中止されました";

// A group whose plugin carries out queued posts (cm_POSTED.PL).
TestGroup LibGroup(const std::string& more = "") {
    return {"LIBG", "[BASIC]\r\nGUID=" + kLibGuid +
                        "\r\nBBSFOLDER=1\r\nLIB=POSTED\r\nLIB_TYPE=1\r\n" + more};
}
TestGroup HttpGroup(const std::string& url) {
    return {"WEB", "[BASIC]\r\nGUID=" + kHttpGuid + "\r\nBBSFOLDER=1\r\nURL=" + url + "\r\n"};
}

// The group address of `source` (none when empty) with a display name.
std::string To(const std::string& display, const std::string& guid,
               std::string_view source = "board") {
    const std::string local =
        source.empty() ? guid : text::EncodeFileNameBase64(source) + "." + guid;
    return "To: " + display + " <" + local + kDomain + ">";
}

std::size_t Count(const std::vector<std::string>& texts, const std::string& text) {
    return static_cast<std::size_t>(std::count(texts.begin(), texts.end(), text));
}

class Send : public ::testing::Test {
  protected:
    LoadedPlugin plugin;
    TempFolder dir;
    std::string name = "acct";  // the account's folder in `dir`

    void SetUp() override {
        ASSERT_EQ(plugin.Get<decltype(::SetDummyDomain)>("SetDummyDomain")(kDomain), 0);
        Mode(0);
    }
    void Mode(int32_t mode) {
        ASSERT_EQ(plugin.Get<decltype(::SetRecSendMode)>("SetRecSendMode")(mode), 0);
    }

    std::string Account(const std::vector<TestGroup>& groups,
                        const std::string& plugin_section = "") {
        std::string path = WriteAccount(dir, groups, plugin_section, name);
        dir.Write(name + "/BBS/LIBG/board.cmt", "#T:title\n");
        return path;
    }
    std::string In(const std::string& relative) { return name + "/" + relative; }
    void Outbox(const std::string& file, const std::string& to, const std::string& body = "text") {
        dir.Write(In("SMTP.BOX/" + file),
                  to + "\r\nSubject: s " + file + "\r\n\r\n" + body + "\r\n");
    }
    bool InOutbox(const std::string& file) { return dir.Exists(In("SMTP.BOX/" + file)); }

    int32_t SendAll(const std::string& account, ProgressCallback callback = nullptr) {
        return plugin.Get<decltype(::SendAll)>("SendAll")(nullptr, account.c_str(), callback);
    }

    // The one send error mail, in Shift_JIS; empty when there is none.
    std::string ErrorMail() {
        const std::vector<std::string> mails = SpoolMails(dir, name);
        if (mails.empty()) return {};
        EXPECT_EQ(mails.size(), 1u);
        std::ifstream in(mails[0], std::ios::binary);
        const std::string raw{std::istreambuf_iterator<char>(in), {}};
        return text::ConvertJapaneseCode(raw, text::JapaneseCode::kShiftJis);
    }
};

TEST_F(Send, EmptyOutboxOnlyStartsAndEnds) {
    ProgressRecorder host;
    const std::string account = Account({LibGroup()});
    EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 0) << plugin.LastError();
    EXPECT_THAT(host.texts(), ElementsAre("送信処理開始", "LIBGのGUID読込", "送信処理終了"));
    EXPECT_EQ(ErrorMail(), "");
}

TEST_F(Send, QueuedPostsRunThePluginOnceInModeOne) {
    for (const int32_t mode : {1, 0}) {
        SCOPED_TRACE(mode);
        name = "mode" + std::to_string(mode);  // each round on an account of its own
        Mode(mode);
        ProgressRecorder host;
        const std::string account = Account({HttpGroup("http://127.0.0.1:9/"), LibGroup()});
        Outbox("vxq1.tmp", To("LIB", kLibGuid));
        Outbox("vxq2.tmp", To("\"LIB,,,15\"", kLibGuid));
        EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 0) << plugin.LastError();
        EXPECT_FALSE(InOutbox("vxq1.tmp"));
        EXPECT_FALSE(InOutbox("vxq2.tmp"));
        EXPECT_EQ(ErrorMail(), "");
        if (mode == 1) {
            // One run of the group for both requests; handled ones are pruned.
            EXPECT_EQ(dir.Read(In("BBS/LIBG/posted.log")), "run\ns vxq1.tmp\ns vxq2.tmp\n");
            EXPECT_FALSE(dir.Exists(In("BBS/LIBG/board.cmw")));
            const auto texts = host.texts();
            const auto round =
                std::find(texts.begin(), texts.end(), "LIBによる送信処理のための巡回開始");
            ASSERT_NE(round, texts.end());
            EXPECT_EQ(Count(texts, "LIBによる送信開始"), 2u);
            EXPECT_EQ(*std::next(round), name + "の受信を開始しました");
            EXPECT_EQ(texts.back(), "送信処理終了");
        } else {
            EXPECT_FALSE(dir.Exists(In("BBS/LIBG/posted.log")));
            EXPECT_THAT(dir.Read(In("BBS/LIBG/board.cmw")), HasSubstr("#U:2\n"));
            EXPECT_THAT(dir.Read(In("BBS/LIBG/board.cmw")), HasSubstr("S:*,15,"));
            EXPECT_FALSE(host.Saw("巡回開始"));
        }
    }
}

TEST_F(Send, FailedMailsBecomeOneErrorMail) {
    const std::string account = Account({LibGroup()});
    Outbox("vxq1.tmp", To("LIB", "FFFFFFFF-0000-0000-0000-000000000000"),
           "first line\r\n.\r\nlast");
    Outbox("vxq2.tmp", To("LIB", kLibGuid, "none"));  // no board file none.cmt
    Outbox("vxq3.tmp", To("LIB", kLibGuid));          // goes out
    EXPECT_EQ(SendAll(account), 0) << plugin.LastError();
    EXPECT_FALSE(InOutbox("vxq1.tmp"));  // bad: deleted after reporting
    EXPECT_TRUE(InOutbox("vxq2.tmp"));   // tried again next time
    EXPECT_FALSE(InOutbox("vxq3.tmp"));

    const std::string mail = ErrorMail();
    const std::string bad = dir / In("SMTP.BOX/vxq1.tmp");
    const std::string kept = dir / In("SMTP.BOX/vxq2.tmp");
    EXPECT_THAT(mail, HasSubstr("From: \"KVT7R ERROR SYSTEM\" <>\r\nDate: "));
    EXPECT_THAT(
        mail,
        HasSubstr("Content-Type: text/plain; charset=ISO-2022-JP\r\nSubject: =?ISO-2022-JP?B?"));
    // In the order of the sorted keys: "エラー:/..." before "エラー:F...".
    EXPECT_THAT(mail, HasSubstr("\r\n\r\nファイル名:" + kept +
                                "\r\nエラーメッセージ:" + dir / In("BBS/LIBG/none.cmt") +
                                ": No such file or directory\r\n"
                                "処置:次回再度投稿にトライします\r\nSubject: s vxq2.tmp\r\n"));
    EXPECT_THAT(mail, HasSubstr("\r\ntext\r\n" + std::string(70, '-') + "\r\nファイル名:" + bad +
                                "\r\nエラーメッセージ:FFFFFFFF-0000-0000-0000-000000000000:"
                                "のデータフォルダが設定されていません\r\n処置:ファイル " +
                                bad + "を削除しました\r\nSubject: s vxq1.tmp\r\nTo: LIB <"));
    EXPECT_THAT(mail, ::testing::EndsWith(">\r\nfirst line\r\n.\r\nlast\r\n" +
                                          std::string(70, '-') + "\r\n"));
    EXPECT_THAT(mail, Not(HasSubstr("vxq3.tmp")));
}

TEST_F(Send, WithoutGroupsEveryMailIsBadAndDeleted) {
    const std::string account = Account({});
    Outbox("vxq1.tmp", To("LIB", kLibGuid));
    EXPECT_EQ(SendAll(account), 0) << plugin.LastError();
    EXPECT_FALSE(InOutbox("vxq1.tmp"));
    EXPECT_THAT(ErrorMail(), HasSubstr(kLibGuid + ":のデータフォルダが設定されていません"));
}

TEST_F(Send, FailuresThatEndTheWholeSend) {
    struct Case {
        const char* why;
        std::vector<TestGroup> groups;
        std::string stop_at;  // the progress text answered with a stop
        std::string error;
    } cases[] = {
        {"a section without folder name",
         {LibGroup(), {"", ""}},
         "",
         "フォルダ名が設定されていません:00002"},
        {"a group without GUID",
         {{"NOID", "[BASIC]\r\nBBSFOLDER=1\r\n"}},
         "",
         "GUIDが設定されていません:NOID"},
        {"stop at the start", {LibGroup()}, "送信処理開始", kStopped},
        {"stop while the groups are read", {LibGroup()}, "LIBGのGUID読込", kStopped},
        {"stop while the mails are read", {LibGroup()}, "送信予定ファイル読込 1:", kStopped},
        {"stop before a request is written", {LibGroup()}, "LIBによる送信開始", kStopped},
    };
    int round = 0;
    for (const Case& c : cases) {
        name = "stop" + std::to_string(++round);
        ProgressRecorder host;
        host.AbortWhen(
            [&](const std::string& t) { return !c.stop_at.empty() && t.starts_with(c.stop_at); });
        const std::string account = Account(c.groups);
        Outbox("vxq1.tmp", To("LIB", kLibGuid));
        EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 1) << c.why;
        EXPECT_EQ(plugin.LastError(), c.error) << c.why;
        EXPECT_TRUE(InOutbox("vxq1.tmp")) << c.why;
        EXPECT_FALSE(dir.Exists(In("BBS/LIBG/board.cmw"))) << c.why;
        EXPECT_FALSE(host.Saw("送信処理終了")) << c.why;
        EXPECT_EQ(ErrorMail(), "") << c.why;
    }
}

TEST_F(Send, FailedReceiveAfterQueuedPostsIsTheResult) {
    Mode(1);
    // The group's plugin exits with 1: the receive fails, the send reports it.
    const std::string account =
        Account({{"LIBG", "[BASIC]\r\nGUID=" + kLibGuid +
                              "\r\nBBSFOLDER=1\r\nLIB=EXIT\r\nLIB_TYPE=1\r\n"}});
    Outbox("vxq1.tmp", To("LIB", kLibGuid));
    Outbox("vxq2.tmp", To("LIB", "FFFFFFFF-0000-0000-0000-000000000000"));
    ProgressRecorder host;
    EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 1);
    EXPECT_THAT(plugin.LastError(), HasSubstr("プラグインの実行エラー"));
    EXPECT_FALSE(InOutbox("vxq1.tmp"));  // queued before the receive
    EXPECT_TRUE(dir.Exists(In("BBS/LIBG/board.cmw")));
    EXPECT_THAT(ErrorMail(), HasSubstr("vxq2.tmp"));
    EXPECT_EQ(host.texts().back(), "送信処理終了");
}

// Every outgoing mail's life: queued in the outbox, on its way while its
// request is out, then posted (gone), back in the outbox (surely not on the
// board), or held (maybe on the board; only the user sends it again).
TEST_F(Send, EveryMailIsPostedRequeuedOrHeld) {
    BoardServer board(dir, R"([{"status": 200, "body": "ok"}, {"status": 500}, {"delay": 8}])");
    const std::string account = Account({HttpGroup(board.Url(""))}, "TIMEOUT=1\r\n");
    Outbox("vxq1.tmp", To("\"POST,$C/post,msg=$M\"", kHttpGuid, ""), "posted");
    Outbox("vxq2.tmp", To("\"GET,$C/get,msg=$M\"", kHttpGuid, ""), "server error");
    Outbox("vxq3.tmp", To("\"POST,$C/slow,msg=$M\"", kHttpGuid, ""), "too slow");
    // Left on its way by a send that was killed: its outcome is unknown.
    dir.Write(In("SMTP.BOX/sending/vxq4.tmp"),
              To("\"POST,$C/post,msg=$M\"", kHttpGuid, "") + "\r\nSubject: s4\r\n\r\nkilled\r\n");
    // A held mail of the same name from an earlier send stays as it was.
    dir.Write(In("SMTP.BOX/held/vxq3.tmp"), "earlier");
    ProgressRecorder host;
    EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 0) << plugin.LastError();
    const auto requests = board.Requests();
    ASSERT_EQ(requests.size(), 3u);  // the killed send's mail is not sent again
    EXPECT_EQ(requests[0].method, "POST");
    EXPECT_THAT(requests[0].body, HasSubstr("posted"));
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(Count(host.texts(), "送信中"), 3u);

    struct Where {
        const char* file;
        bool exists;
    };
    for (const Where& w : {Where{"SMTP.BOX/vxq1.tmp", false},
                           {"SMTP.BOX/vxq2.tmp", true},
                           {"SMTP.BOX/vxq3.tmp", false},
                           {"SMTP.BOX/held/vxq3-2.tmp", true},
                           {"SMTP.BOX/held/vxq4.tmp", true},
                           {"SMTP.BOX/sending/vxq4.tmp", false}})
        EXPECT_EQ(dir.Exists(In(w.file)), w.exists) << w.file;
    EXPECT_EQ(dir.Read(In("SMTP.BOX/held/vxq3.tmp")), "earlier");

    const std::string mail = ErrorMail();
    EXPECT_THAT(mail, HasSubstr("vxq2.tmp\r\nエラーメッセージ:"));
    EXPECT_THAT(mail, HasSubstr("処置:次回再度投稿にトライします\r\nSubject: s vxq2.tmp"));
    EXPECT_THAT(mail, HasSubstr("vxq3-2.tmp\r\nエラーメッセージ:投稿が掲示板に届いたかわかりま"
                                "せん。掲示板の応答が途中で途切れました:Read timed out"));
    EXPECT_THAT(mail, HasSubstr("vxq4.tmp\r\nエラーメッセージ:投稿が掲示板に届いたかわかりま"
                                "せん。前回の送信が投稿の途中で終わりました\r\n処置:ファイルを "));
    EXPECT_THAT(mail, HasSubstr("SMTP.BOX に戻すと次回の送信で投稿します\r\nSubject: s4"));
    EXPECT_THAT(mail, Not(HasSubstr("vxq1.tmp")));
}

TEST_F(Send, StopAtSendingKeepsTheMail) {
    BoardServer board(dir);
    const std::string account = Account({HttpGroup(board.Url(""))});
    Outbox("vxq1.tmp", To("\"POST,$C/post,msg=$M\"", kHttpGuid, ""));
    ProgressRecorder host;
    host.AbortWhen([](const std::string& t) { return t == "送信中"; });
    EXPECT_EQ(SendAll(account, ProgressRecorder::callback()), 1);
    EXPECT_EQ(plugin.LastError(), kStopped);
    EXPECT_TRUE(board.Requests().empty());
    EXPECT_TRUE(InOutbox("vxq1.tmp"));
}

}  // namespace
}  // namespace drwa
