// The WinHTTP back-end against the board server on 127.0.0.1, which records
// the exact bytes it received: what goes on the wire, what comes back, and the
// waits (idle time-out, the caller's turn, giving up).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/url.h"
#include "platform/win32/wide_text.h"
#include "platform/http_client.h"
#include "support/board_server.h"

namespace drwa::platform {
namespace {

using drwa::testing::BoardServer;
using drwa::testing::RecordedRequest;

ULONGLONG Now() {
    return GetTickCount64();
}

struct Shape {
    const char* what;
    HttpRequest request;  // url holds the path after the server's address
    std::string method;
    std::string target;  // request line's target
    std::string body;
    std::string content_type;   // empty: no such header
    std::string authorization;  // empty: no such header
};

HttpRequest Make(std::string path, bool post, std::string body, std::string type) {
    HttpRequest r;
    r.url = std::move(path);
    r.post = post;
    r.body = std::move(body);
    r.content_type = std::move(type);
    r.user_agent = "Mozilla/3.0 (compatible; test)";
    return r;
}

HttpRequest WithCredentials(HttpRequest r, std::string user, std::string password) {
    r.user = std::move(user);
    r.password = std::move(password);
    return r;
}

// `size` bytes of Shift_JIS and ASCII that show where a piece went missing.
std::string LongText(std::size_t size) {
    std::string out;
    for (int i = 0; out.size() < size; ++i) out += std::to_string(i) + "表ソ";
    out.resize(size);
    return out;
}

TEST(WinHttpClient, TheRequestGoesOutByteForByte) {
    const std::string form = "application/x-www-form-urlencoded";
    const Shape shapes[] = {
        {"form post", Make("/test/bbs.cgi", true, "bbs=news&FROM=a+b", form), "POST",
         "/test/bbs.cgi", "bbs=news&FROM=a+b", form, ""},
        // Raw Shift_JIS in a body is the board's business: not one byte changes
        // (0x5C, the trail byte of 表, included).
        {"Shift_JIS body", Make("/b", true, "MESSAGE=表ソ\r\n", "text/plain"), "POST", "/b",
         "MESSAGE=表ソ\r\n", "text/plain", ""},
        {"empty post", Make("/e", true, "", ""), "POST", "/e", "", "", ""},
        // Past one piece of the upload: the pieces follow each other in order.
        {"long post", Make("/l", true, LongText(150000), form), "POST", "/l", LongText(150000),
         form, ""},
        {"get with query", Make("/r?a=1&b=a+b&", false, "", ""), "GET", "/r?a=1&b=a+b&", "", "",
         ""},
        // A raw byte outside printable ASCII goes as the escape of the caller's
        // byte, never re-encoded through another code page (表 is 95 5C).
        {"raw byte in the query", Make("/q?t=表 x", false, "", ""), "GET", "/q?t=%95\\%20x", "", "",
         ""},
        {"basic credentials on the first request",
         WithCredentials(Make("/a", false, "", ""), "user", "pa ss"), "GET", "/a", "", "",
         "Basic dXNlcjpwYSBzcw=="},
        // The user's bytes, as the other back-end sends them.
        {"Shift_JIS user name", WithCredentials(Make("/a", false, "", ""), "表", "x"), "GET", "/a",
         "", "", "Basic lVw6eA=="},
        {"password alone", WithCredentials(Make("/a", false, "", ""), "", "p"), "GET", "/a", "", "",
         "Basic OnA="},
    };
    for (const Shape& s : shapes) {
        BoardServer board;
        HttpRequest request = s.request;
        request.url = board.Url(s.request.url);
        const HttpResponse response = SendHttpRequest(request);
        EXPECT_TRUE(response.ok) << s.what << ": " << response.error;
        EXPECT_EQ(response.body, "OK") << s.what;
        const auto requests = board.Requests();
        ASSERT_EQ(requests.size(), 1u) << s.what;
        const RecordedRequest& r = requests[0];
        EXPECT_EQ(r.raw.substr(0, r.raw.find("\r\n")), s.method + " " + s.target + " HTTP/1.1")
            << s.what;
        EXPECT_EQ(r.body, s.body) << s.what;
        EXPECT_EQ(r.Header("Content-Type"), s.content_type) << s.what;
        EXPECT_EQ(r.Header("Authorization"), s.authorization) << s.what;
        EXPECT_EQ(r.Header("User-Agent"), "Mozilla/3.0 (compatible; test)") << s.what;
        EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(board.port())) << s.what;
        // Boards don't answer "100 Continue"; no cookie jar, no cache talk.
        for (const char* unwanted : {"Expect", "Cookie", "Cache-Control", "Pragma"})
            EXPECT_FALSE(r.HasHeader(unwanted)) << s.what << ": " << unwanted;
    }
}

TEST(WinHttpClient, AnswersComeBackAsTheBoardSentThem) {
    struct Case {
        const char* what;
        std::string plan;
        std::string path;
        bool ok;
        int status;
        std::string error;
        std::string location;
        std::string body;
    };
    const Case cases[] = {
        {"error page", R"([{"status": 500, "body": "broken"}])", "/x", false, 500,
         "HTTP/1.1 500 Internal Server Error", "", "broken"},
        // Redirects are the caller's: not followed, Location resolved.
        {"relative Location", R"([{"status": 302, "headers": [["Location", "done.html?x=1"]]}])",
         "/test/bbs.cgi", false, 302, "HTTP/1.1 302 Found", "/test/done.html?x=1", "OK"},
        {"rooted Location", R"([{"status": 303, "headers": [["Location", "/up/a"]], "body": "m"}])",
         "/test/bbs.cgi", false, 303, "HTTP/1.1 303 See Other", "/up/a", "m"},
        {"Location elsewhere",
         R"([{"status": 301, "headers": [["Location", "http://b.example.jp/z"]]}])", "/", false,
         301, "HTTP/1.1 301 Moved Permanently", "http://b.example.jp/z", "OK"},
        // Raw Shift_JIS in a Location (あ is 82 A0): the bytes come back escaped
        // under any ANSI code page.
        {"raw bytes in Location", R"([{"status": 302, "headers": [["Location", "/あ?a=い"]]}])",
         "/", false, 302, "HTTP/1.1 302 Found", "/%82%A0?a=%82%A2", "OK"},
        // A reason phrase in the board's own bytes (Shift_JIS here) is kept.
        {"own reason phrase", R"([{"status": 404, "reason": "ありません", "body": ""}])", "/",
         false, 404, "HTTP/1.1 404 ありません", "", ""},
        {"2xx other than 200", R"([{"status": 201, "headers": [["Location", "n/1"]]}])", "/a/b",
         true, 201, "", "/a/n/1", "OK"},
        {"body in Shift_JIS", R"([{"body_file": "SJIS"}])", "/", true, 200, "", "", "表示ソ"},
        {"long answer", R"([{"body": ")" + std::string(300000, 'x') + R"("}])", "/", true, 200, "",
         "", std::string(300000, 'x')},
    };
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring wide_file = std::wstring(temp) + L"drwa-http-sjis.txt";
    const std::string sjis_file = platform::win32::TryWideToCp932(wide_file).value_or("");
    {
        const HANDLE f =
            CreateFileW(wide_file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(f, "表示ソ", 6, &written, nullptr);
        CloseHandle(f);
    }
    for (const Case& c : cases) {
        std::string plan = c.plan;
        if (const auto at = plan.find("SJIS"); at != std::string::npos) {
            std::string escaped;
            for (char ch : sjis_file)
                escaped += ch == '\\' ? std::string("\\\\") : std::string(1, ch);
            plan.replace(at, 4, escaped);
        }
        BoardServer board(plan);
        HttpRequest request;
        request.url = board.Url(c.path);
        const HttpResponse response = SendHttpRequest(request);
        EXPECT_EQ(response.ok, c.ok) << c.what;
        EXPECT_EQ(response.status, c.status) << c.what;
        EXPECT_EQ(response.error, c.error) << c.what;
        EXPECT_EQ(response.location,
                  c.location.empty() || c.location[0] != '/' ? c.location : board.Url(c.location))
            << c.what;
        EXPECT_EQ(response.body, c.body) << c.what;
        EXPECT_FALSE(response.abandoned) << c.what;
        EXPECT_EQ(board.Requests().size(), 1u) << c.what;
    }
    DeleteFileW(wide_file.c_str());
}

TEST(WinHttpClient, TheProxyIsTheCallersAndNoOtherOne) {
    BoardServer proxy;
    BoardServer board;
    // A proxy named by the environment must not catch a request sent straight.
    const std::wstring variable = L"http://127.0.0.1:" + std::to_wstring(proxy.port());
    SetEnvironmentVariableW(L"http_proxy", variable.c_str());
    HttpRequest direct;
    direct.url = board.Url("/d");
    EXPECT_TRUE(SendHttpRequest(direct).ok);
    SetEnvironmentVariableW(L"http_proxy", nullptr);
    EXPECT_EQ(board.Requests().size(), 1u);
    EXPECT_TRUE(proxy.Requests().empty());

    HttpRequest proxied;
    proxied.url = "http://board.invalid/test/bbs.cgi?a=1";
    proxied.post = true;
    proxied.body = "a=1";
    proxied.proxy_host = "127.0.0.1";
    proxied.proxy_port = proxy.port();
    const HttpResponse response = SendHttpRequest(proxied);
    EXPECT_TRUE(response.ok) << response.error;
    const auto requests = proxy.Requests();
    ASSERT_EQ(requests.size(), 1u);
    // A proxy is given the whole address on the request line.
    EXPECT_EQ(requests[0].path, "http://board.invalid/test/bbs.cgi");
    EXPECT_EQ(requests[0].query, "a=1");
    EXPECT_EQ(requests[0].body, "a=1");
    EXPECT_EQ(requests[0].Header("Host"), "board.invalid");
}

TEST(WinHttpClient, SilenceEndsTheRequestButASlowAnswerLives) {
    struct Case {
        const char* what;
        std::string plan;
        bool ok;
        std::string body;
        ULONGLONG at_least_ms, at_most_ms;
    };
    const Case cases[] = {
        {"silent board", R"([{"delay": 8}])", false, "", 900, 4000},
        // Five bytes 0.3 s apart: 1.5 s in all, never 1 s without a byte.
        {"trickle", R"([{"body": "slow!", "trickle": 0.3}])", true, "slow!", 1400, 6000},
    };
    for (const Case& c : cases) {
        BoardServer board(c.plan);
        HttpRequest request;
        request.url = board.Url("/");
        request.idle_timeout_ms = 1000;
        const ULONGLONG start = Now();
        const HttpResponse response = SendHttpRequest(request);
        const ULONGLONG took = Now() - start;
        EXPECT_EQ(response.ok, c.ok) << c.what << ": " << response.error;
        EXPECT_EQ(response.body, c.body) << c.what;
        EXPECT_GE(took, c.at_least_ms) << c.what;
        EXPECT_LT(took, c.at_most_ms) << c.what;
        if (!c.ok) {
            EXPECT_EQ(response.error, "Read timed out: nothing received for 1000 ms") << c.what;
        }
    }
}

TEST(WinHttpClient, TheCallerIsWokenAndMayGiveUp) {
    {
        BoardServer board(R"([{"delay": 0.4}])");
        int wakes = 0;
        HttpRequest request;
        request.url = board.Url("/");
        const DWORD caller = GetCurrentThreadId();
        bool same_thread = true;
        request.on_wait = [&] {
            same_thread = same_thread && GetCurrentThreadId() == caller;
            return ++wakes > 0;
        };
        const HttpResponse response = SendHttpRequest(request);
        EXPECT_TRUE(response.ok) << response.error;
        EXPECT_GE(wakes, 400 / kHttpWakeMs / 2);
        EXPECT_TRUE(same_thread);
    }
    // Without a time-out a board that never answers holds the request until
    // the caller says no.
    BoardServer board(R"([{"delay": 30}])");
    int wakes = 0;
    HttpRequest request;
    request.url = board.Url("/");
    request.post = true;
    request.body = "a=1";
    request.on_wait = [&] { return ++wakes < 20; };
    const ULONGLONG start = Now();
    const HttpResponse response = SendHttpRequest(request);
    EXPECT_LT(Now() - start, 3000u);
    EXPECT_TRUE(response.abandoned);
    EXPECT_FALSE(response.ok);
    EXPECT_EQ(wakes, 20);
    EXPECT_EQ(board.Requests().size(), 1u);  // it went out: whether it counts is unknown
}

TEST(WinHttpClient, FailuresCarryTheSystemsWords) {
    const std::string refused = "http://127.0.0.1:" + std::to_string(testing::UnusedPort()) + "/";
    for (const std::string& url :
         {refused, std::string("file:///C:/windows/win.ini"), std::string("gopher://h/")}) {
        HttpRequest request;
        request.url = url;
        const HttpResponse response = SendHttpRequest(request);
        EXPECT_FALSE(response.ok) << url;
        EXPECT_EQ(response.status, 0) << url;
        EXPECT_EQ(response.body, "") << url;
        // Words, not just a number, and nothing trailing in the mail's first line.
        EXPECT_FALSE(response.error.empty()) << url;
        EXPECT_EQ(response.error.find("コード"), std::string::npos) << response.error;
        EXPECT_NE(response.error.back(), '\n') << url;
    }
    // Nothing but the web: the scheme is named.
    HttpRequest local;
    local.url = "file:///C:/windows/win.ini";
    EXPECT_NE(SendHttpRequest(local).error.find("file"), std::string::npos);

    // Text that is not Shift_JIS (a lone lead byte) is refused, not sent
    // without the header it was meant for.
    {
        BoardServer board;
        HttpRequest broken;
        broken.url = board.Url("/");
        broken.content_type = "text/plain; x=\x81";
        broken.user = "u";
        const HttpResponse refusal = SendHttpRequest(broken);
        EXPECT_FALSE(refusal.ok);
        EXPECT_FALSE(refusal.error.empty());
        EXPECT_TRUE(board.Requests().empty());
    }

    // The board hangs up without a word.
    BoardServer board(R"([{"close": true}])");
    HttpRequest request;
    request.url = board.Url("/");
    const HttpResponse response = SendHttpRequest(request);
    EXPECT_FALSE(response.ok);
    EXPECT_FALSE(response.error.empty());
    EXPECT_EQ(response.error.find("コード"), std::string::npos) << response.error;
    EXPECT_EQ(board.Requests().size(), 1u);
}

TEST(WinHttpClient, UrlHostAsTheOtherBackEndReadsIt) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://bbs.example.jp:8080/news/", "bbs.example.jp"},
        {"https://up.example.jp/cgi", "up.example.jp"},
        {"b.example.jp/test/", "b.example.jp"},  // settings often drop the scheme
        {"b.example.jp:81", "b.example.jp"},
        {"http://user:pw@h.example.jp/", "h.example.jp"},
        {"ftp://f.example.jp/x", "f.example.jp"},
        {"http://[::1]:8080/x", "[::1]"},
        {"", ""},
        {"http://", ""},
        {"not a url", ""},
    };
    for (const auto& [url, host] : cases) EXPECT_EQ(platform::UrlHost(url), host) << url;
}

}  // namespace
}  // namespace drwa::platform
