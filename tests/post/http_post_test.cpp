// Posting one mail to a board server on 127.0.0.1 that records the exact
// request: what goes on the wire, and how the board's answer is judged.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "common/error.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "platform/system.h"
#include "post/http_post.h"
#include "support/board_server.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "text/japanese_code.h"

namespace drwa::post {
namespace {

using drwa::platform::HttpRequest;
using drwa::platform::HttpResponse;
using drwa::platform::kHttpWakeMs;
using drwa::platform::SendHttpRequest;
using drwa::testing::BoardServer;
using drwa::testing::ProgressRecorder;
using drwa::testing::RecordedRequest;
using drwa::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr const char* kUserAgent =
    "Mozilla/3.0 (compatible; Indy Library)(kvt7r drwa-plugin-plugin)";

class HttpPost : public ::testing::Test {
  protected:
    TempFolder dir;

    // The account file with `plugin` lines in section PLUGIN, and group G whose
    // URL is `board` with `basic` lines in section BASIC.
    void Settings(const std::string& board, const std::string& basic = "",
                  const std::string& plugin = "") {
        dir.Write("acct/account.ini", "[PLUGIN]\r\nGROUP_COUNT=1\r\n" + plugin);
        dir.Write("acct/BBS/G/drwa_BBS.ini",
                  "[BASIC]\r\nURL=" + board + "\r\nUPURL=up\r\n" + basic);
    }

    TPostEml Mail(const std::string& params, std::vector<std::string> body = {},
                  const std::string& url = "$C/test/bbs.cgi") {
        TPostEml mail;
        mail.GroupFolder = dir / "acct/BBS/G";
        mail.GroupKey = "00000000-0000-0000-0000-000000000001";
        mail.PostUrl = url;
        mail.PostParams = params;
        mail.Subject = "a 表";
        mail.Message.body_lines = std::move(body);
        return mail;
    }

    bool Post(TPostEml& mail, HttpMethod method = HttpMethod::kPost,
              ProgressCallback callback = nullptr) {
        return PostOverHttp(dir / "acct/account.ini", callback, method, mail);
    }

    std::string SendLog() { return dir.Read("acct/BBS/G/送信LOG.html"); }
};

struct Wire {
    const char* what;
    HttpMethod method;
    std::string basic;  // more group settings
    std::string url;    // URL template
    std::string params;
    std::vector<std::string> body;
    std::string path;
    std::optional<std::string> query;  // nothing: no "?" at all
    std::string sent;                  // the request body
};

class WireShape : public HttpPost, public ::testing::WithParamInterface<Wire> {};

TEST_P(WireShape, ExactRequest) {
    const Wire& w = GetParam();
    BoardServer board(dir);
    Settings(board.Url(""), w.basic);
    TPostEml mail = Mail(w.params, w.body, w.url);
    EXPECT_FALSE(Post(mail, w.method));
    EXPECT_FALSE(mail.Failed()) << mail.GroupKey;

    const auto requests = board.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const RecordedRequest& r = requests[0];
    EXPECT_EQ(r.method, w.method == HttpMethod::kPost ? "POST" : "GET");
    EXPECT_EQ(r.path, w.path);
    EXPECT_EQ(r.has_query, w.query.has_value());
    EXPECT_EQ(r.query, w.query.value_or(""));
    EXPECT_EQ(r.body, w.sent);
    EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(r.Header("User-Agent"), kUserAgent);
    EXPECT_FALSE(r.HasHeader("Authorization"));
    EXPECT_FALSE(r.HasHeader("Expect"));
    EXPECT_EQ(SendLog(), "OK");
}

INSTANTIATE_TEST_SUITE_P(Posts, WireShape,
                         ::testing::Values(Wire{"one pair",
                                                HttpMethod::kPost,
                                                "",
                                                "$C/test/bbs.cgi",
                                                "bbs=news",
                                                {},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "bbs=news"},
                                           Wire{"two pairs end in &",
                                                HttpMethod::kPost,
                                                "NAME=a b\r\n",
                                                "$C/test/bbs.cgi",
                                                "bbs=news&FROM=$N",
                                                {},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "bbs=news&FROM=a+b&"},
                                           Wire{"subject in Shift_JIS",
                                                HttpMethod::kPost,
                                                "",
                                                "$C/test/bbs.cgi",
                                                "subject=$T",
                                                {},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "subject=a+%95%5C"},
                                           Wire{"subject in EUC-JP",
                                                HttpMethod::kPost,
                                                "CHARSET=EUC\r\n",
                                                "$C/test/bbs.cgi",
                                                "subject=$T",
                                                {},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "subject=a+%C9%BD"},
                                           // Only "EUC" exactly selects EUC-JP.
                                           Wire{"lower-case euc",
                                                HttpMethod::kPost,
                                                "CHARSET=euc\r\n",
                                                "$C/test/bbs.cgi",
                                                "subject=$T",
                                                {},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "subject=a+%95%5C"},
                                           Wire{"body with a lone point",
                                                HttpMethod::kPost,
                                                "",
                                                "$C/test/bbs.cgi",
                                                "MESSAGE=$M",
                                                {"x", ".", "a.b"},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "MESSAGE=x%0d%0a%2E+%0d%0aa%2Eb%0d%0a"},
                                           Wire{"key holding the body",
                                                HttpMethod::kPost,
                                                "FORM=MESSAGE=$M\r\n",
                                                "$C/test/bbs.cgi",
                                                "$(FORM)",
                                                {"y"},
                                                "/test/bbs.cgi",
                                                std::nullopt,
                                                "MESSAGE=y%0d%0a"},
                                           Wire{"GET, empty template",
                                                HttpMethod::kGet,
                                                "",
                                                "$C/test/read.cgi",
                                                "",
                                                {},
                                                "/test/read.cgi",
                                                "",
                                                ""},
                                           Wire{"GET, pairs end in &",
                                                HttpMethod::kGet,
                                                "NAME=a b\r\n",
                                                "$C/r",
                                                "a=1&b=$N",
                                                {},
                                                "/r",
                                                "a=1&b=a+b&",
                                                ""},
                                           // A key's value goes in unencoded: what a URL
                                           // cannot carry is escaped there, an escape kept.
                                           Wire{"GET, a key with a blank, # and %41",
                                                HttpMethod::kGet,
                                                "NAME=名無し さん#1%41\r\n",
                                                "$C/r",
                                                "n=$(NAME)&m=2",
                                                {},
                                                "/r",
                                                "n=%96%BC%96%B3%82%B5%20%82%B3%82%F1%231%41&m=2&",
                                                ""},
                                           // "$C" wins: a "$c" beside it stays as written.
                                           Wire{"$C before $c",
                                                HttpMethod::kPost,
                                                "",
                                                "$C/x$c",
                                                "a=1",
                                                {},
                                                "/x$c",
                                                std::nullopt,
                                                "a=1"}),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

TEST_F(HttpPost, ARedirectIsReadOnceWithTheCredentialsOnlyOnTheBoard) {
    BoardServer board(dir, R"([{"status": 302, "headers": [["Location", "done.html?x=1"]]},
                               {"body": "thanks"}])");
    Settings(board.Url(""), "USER=user\r\nPASS=pa ss\r\n");
    TPostEml first = Mail("a=1");
    EXPECT_FALSE(Post(first));
    const auto requests = board.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].Header("Authorization"), "Basic dXNlcjpwYSBzcw==");
    EXPECT_EQ(requests[1].method, "GET");
    EXPECT_EQ(requests[1].path, "/test/done.html");  // relative to the post's URL
    EXPECT_EQ(requests[1].query, "x=1");
    EXPECT_EQ(requests[1].Header("Authorization"), "Basic dXNlcjpwYSBzcw==");

    // A 303 is read the same way; "localhost" is another host: no credentials.
    const std::string elsewhere = "http://localhost:" + std::to_string(board.port()) + "/p";
    BoardServer posted(dir, R"([{"status": 303, "body": "moved;", "headers": [["Location", ")" +
                                elsewhere + R"("]]}])");
    Settings(posted.Url(""), "USER=user\r\nPASS=pa ss\r\n");
    TPostEml mail = Mail("a=1");
    EXPECT_FALSE(Post(mail));
    EXPECT_FALSE(mail.Failed()) << mail.GroupKey;
    EXPECT_EQ(posted.Requests().size(), 1u);
    const auto fetched = board.Requests();
    ASSERT_EQ(fetched.size(), 3u);
    EXPECT_EQ(fetched[2].path, "/p");
    EXPECT_FALSE(fetched[2].HasHeader("Authorization"));
    EXPECT_EQ(SendLog(), "moved;thanks");

    // Without a Location there is nothing to read, but the post is in.
    BoardServer bare(dir, R"([{"status": 302, "body": "bare"}])");
    Settings(bare.Url(""));
    TPostEml again = Mail("a=1");
    EXPECT_FALSE(Post(again));
    EXPECT_FALSE(again.Failed()) << again.GroupKey;
    EXPECT_EQ(SendLog(), "bare");
}

// Whether a post is in, surely not in, or maybe in: only the last is held
// back from the next send, since posting it again could put it there twice.
TEST_F(HttpPost, EveryAnswerIsPostedRetriedOrHeld) {
    enum Fate { kPosted, kRetried, kHeld };
    dir.Write("refused.html",
              "<html><head><TITLE>\r\nＥＲＲＯＲ！</title></head>連投規制中</html>");
    dir.Write("written_euc.html", text::ConvertJapaneseCode("<title>書きこみました。</title>",
                                                            text::JapaneseCode::kEucJp));
    dir.Write("written_utf8.html",
              "<title>\xE6\x9B\xB8\xE3\x81\x8D\xE3\x81\x93\xE3\x81"
              "\xBF\xE3\x81\xBE\xE3\x81\x97\xE3\x81\x9F</title>");
    dir.Write("other.html", "<title>please wait</title>");
    const std::string success = "POST_SUCCESS_TEXT=書きこみました\r\n";
    struct Case {
        const char* what;
        std::string plan;
        std::string basic;
        Fate fate;
        std::string key_start;  // of GroupKey when not posted
        std::string plugin = "";
    };
    const Case cases[] = {
        {"status 500", R"([{"status": 500, "body": "broken"}])", "", kRetried,
         "エラー:HTTP/1.1 500 Internal Server Error\r\nbroken"},
        // Only 302 and 303 mean "posted, read this page".
        {"status 301", R"([{"status": 301, "headers": [["Location", "/x"]], "body": "gone"}])", "",
         kRetried, "エラー:HTTP/1.1 301 Moved Permanently\r\ngone"},
        {"silent past TIMEOUT", R"([{"delay": 8}])", "", kHeld,
         "エラー:投稿が掲示板に届いたかわかりません。掲示板の応答が途中で途切れました:Read timed "
         "out: nothing received for 1000 ms\r\n",
         "TIMEOUT=1\r\n"},
        {"closed without answer", R"([{"close": true}])", "", kHeld,
         "エラー:投稿が掲示板に届いたかわかりません。掲示板の応答が途中で途切れました:"},
        {"refusal page", R"([{"body_file": ")" + (dir / "refused.html") + R"("}])", success,
         kRetried, "エラー:掲示板が投稿を受け付けませんでした:「ＥＲＲＯＲ！」\r\n<html>"},
        {"written, EUC-JP", R"([{"body_file": ")" + (dir / "written_euc.html") + R"("}])", success,
         kPosted, ""},
        {"written, UTF-8", R"([{"body_file": ")" + (dir / "written_utf8.html") + R"("}])", success,
         kPosted, ""},
        {"neither", R"([{"body_file": ")" + (dir / "other.html") + R"("}])", success, kHeld,
         "エラー:投稿が掲示板に届いたかわかりません。掲示板の応答に POST_SUCCESS_TEXT "
         "の文字列がありません:「please wait」"},
    };
    for (const Case& c : cases) {
        BoardServer board(dir, c.plan);
        Settings(board.Url(""), c.basic, c.plugin);
        platform::DeleteFile(dir / "acct/BBS/G/送信LOG.html");
        TPostEml mail = Mail("a=1");
        const auto start = platform::MonotonicMs();
        EXPECT_FALSE(Post(mail)) << c.what;
        EXPECT_LT(platform::MonotonicMs() - start, 4000u) << c.what;
        EXPECT_EQ(mail.Failed(), c.fate != kPosted) << c.what << ": " << mail.GroupKey;
        EXPECT_EQ(mail.Held, c.fate == kHeld) << c.what;
        EXPECT_THAT(mail.GroupKey, StartsWith(c.key_start)) << c.what;
        EXPECT_FALSE(mail.BadMail) << c.what;
        EXPECT_EQ(board.Requests().size(), 1u) << c.what;
        // Only a whole answer is kept as the board's word.
        EXPECT_EQ(dir.Exists("acct/BBS/G/送信LOG.html"),
                  c.plan.find("body_file") != std::string::npos)
            << c.what;
    }
}

TEST_F(HttpPost, ARefusedConnectionCarriesTheClientsMessage) {
    Settings("http://127.0.0.1:" + std::to_string(testing::UnusedPort()));
    TPostEml mail = Mail("a=1");
    EXPECT_FALSE(Post(mail));
    EXPECT_THAT(mail.GroupKey, StartsWith("エラー:Failed to connect to 127.0.0.1 port"));
}

TEST_F(HttpPost, TheTimeOutIsForSilenceNotForASlowAnswer) {
    // Five bytes 0.3 s apart: 1.5 s in all, never 1 s without a byte.
    BoardServer board(dir, R"([{"body": "slow!", "trickle": 0.3}])");
    Settings(board.Url(""), "", "TIMEOUT=1\r\n");
    TPostEml mail = Mail("a=1");
    EXPECT_FALSE(Post(mail));
    EXPECT_FALSE(mail.Failed()) << mail.GroupKey;
    EXPECT_EQ(SendLog(), "slow!");
}

TEST_F(HttpPost, TheHostMayStopBeforeAnythingIsSent) {
    for (const char* at : {"POSTによる送信開始", "送信中"}) {
        BoardServer board(dir);
        Settings(board.Url(""));
        ProgressRecorder host;
        host.AbortWhen([&](const std::string& text) { return text == at; });
        TPostEml mail = Mail("a=1");
        EXPECT_TRUE(Post(mail, HttpMethod::kPost, ProgressRecorder::callback())) << at;
        EXPECT_FALSE(mail.Failed());
        EXPECT_TRUE(board.Requests().empty()) << at;
    }
    BoardServer board(dir);
    Settings(board.Url(""));
    ProgressRecorder host;
    TPostEml mail = Mail("a=1");
    EXPECT_FALSE(Post(mail, HttpMethod::kGet, ProgressRecorder::callback()));
    EXPECT_THAT(host.texts(), ElementsAre("GETによる送信開始", "送信中"));
}

// Without TIMEOUT a board that never answers would hold the send for ever: the
// host is asked again while it waits, and a stop gives the request up.
TEST_F(HttpPost, TheHostMayStopWhileTheBoardKeepsItWaiting) {
    BoardServer board(dir, R"([{"delay": 30}])");
    Settings(board.Url(""));
    ProgressRecorder host;
    int asked = 0;
    host.AbortWhen([&](const std::string& text) { return text == "送信中" && ++asked == 2; });
    TPostEml mail = Mail("a=1");
    const std::uint64_t start = platform::MonotonicMs();
    EXPECT_TRUE(Post(mail, HttpMethod::kPost, ProgressRecorder::callback()));
    EXPECT_LT(platform::MonotonicMs() - start, 10000u);
    // The request had left: the board may have it.
    EXPECT_TRUE(mail.Held) << mail.GroupKey;
    EXPECT_THAT(host.texts(), ElementsAre("POSTによる送信開始", "送信中", "送信中"));
}

TEST_F(HttpPost, APostThatWentOutCountsEvenWhenItsLogCannotBeKept) {
    // Counting it failed would post the text again with every send.
    BoardServer board(dir);
    Settings(board.Url(""));
    dir.Write("acct/BBS/G/送信LOG.html/in_the_way", "");
    ProgressRecorder host;
    TPostEml mail = Mail("a=1");
    EXPECT_FALSE(Post(mail, HttpMethod::kPost, ProgressRecorder::callback()));
    EXPECT_FALSE(mail.Failed()) << mail.GroupKey;
    EXPECT_TRUE(host.Saw("送信LOGを書き込めません"));
}

TEST_F(HttpPost, BadTemplatesSendNothing) {
    BoardServer board(dir);
    Settings(board.Url(""), "A=x$(B)\r\nB=$(A)\r\n");
    TPostEml loop = Mail("a=$(A)");
    EXPECT_FALSE(Post(loop));
    EXPECT_THAT(loop.GroupKey, StartsWith("エラー:パラメター $("));
    EXPECT_FALSE(loop.BadMail);  // kept, to go once the settings are mended

    TPostEml unmatched = Mail("a=$(A");
    EXPECT_THROW(Post(unmatched), Error);
    EXPECT_TRUE(board.Requests().empty());
}

TEST_F(HttpPost, TheAccountsProxyIsUsedAndNoOtherOne) {
    BoardServer proxy(dir);
    BoardServer board(dir);
    // A proxy from the environment must not catch a post the settings send
    // straight.
    ::setenv("http_proxy", proxy.Url("").c_str(), 1);
    Settings(board.Url(""));
    TPostEml direct = Mail("a=1");
    EXPECT_FALSE(Post(direct));
    ::unsetenv("http_proxy");
    EXPECT_EQ(board.Requests().size(), 1u);
    EXPECT_TRUE(proxy.Requests().empty());

    Settings("http://board.invalid", "",
             "PROXY_SETTING=1\r\nPROXY_HOST=127.0.0.1\r\nPROXY_PORT=" +
                 std::to_string(proxy.port()) + "\r\n");
    TPostEml proxied = Mail("a=1");
    EXPECT_FALSE(Post(proxied));
    EXPECT_FALSE(proxied.Failed()) << proxied.GroupKey;
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].path, "http://board.invalid/test/bbs.cgi");
}

TEST(HttpClient, TheWaitWakesForTheCallersWork) {
    TempFolder dir;
    BoardServer board(dir, R"([{"delay": 0.4}])");
    int wakes = 0;
    HttpRequest request;
    request.url = board.Url("/");
    request.on_wait = [&] { return ++wakes > 0; };
    const HttpResponse response = SendHttpRequest(request);
    EXPECT_TRUE(response.ok) << response.error;
    EXPECT_EQ(response.status, 200);
    EXPECT_GE(wakes, 400 / kHttpWakeMs / 2);
}

TEST(HttpClient, OnlyTheWebIsReached) {
    TempFolder dir;
    dir.Write("secret", "local file");
    HttpRequest request;
    request.url = "file://" + dir.path() + "/secret";
    const HttpResponse response = SendHttpRequest(request);
    EXPECT_FALSE(response.ok);
    EXPECT_THAT(response.error, HasSubstr("file"));
    EXPECT_EQ(response.body, "");
}

}  // namespace
}  // namespace drwa::post
