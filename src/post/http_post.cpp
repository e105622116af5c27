#include "post/http_post.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <functional>

#include "config/folders.h"
#include "config/ini_file.h"
#include "config/proxy_settings.h"
#include "config/settings_keys.h"
#include "platform/charset_edge.h"
#include "platform/files.h"
#include "platform/http_client.h"
#include "platform/system.h"
#include "post/parameter_template.h"
#include "post/send_progress.h"
#include "post/url_template.h"
#include "text/japanese_code.h"
#include "text/text_search.h"

namespace drwa::post {
namespace {

namespace keys = config::keys;
using platform::HttpRequest;
using platform::HttpResponse;
using platform::SendHttpRequest;
using text::JapaneseCode;

constexpr std::string_view kUserAgent =
    "Mozilla/3.0 (compatible; Indy Library)(kvt7r drwa-plugin-plugin)";
constexpr std::string_view kFormType = "application/x-www-form-urlencoded";

TemplateValues ReadValues(const config::IniFile& group, const TPostEml& mail) {
    auto basic = [&](std::string_view key) { return group.ReadString(keys::kBasic, key, ""); };
    TemplateValues v;
    v.name = basic(keys::kName);
    v.email = basic(keys::kEmail);
    v.key = basic(keys::kKey);
    v.hp = basic(keys::kHp);
    v.user = basic(keys::kUser);
    v.pass = basic(keys::kPass);
    v.param1 = basic(keys::kParam1);
    v.param2 = basic(keys::kParam2);
    v.subject = mail.Subject;
    v.date = mail.PostDate;
    v.body_lines = mail.Message.body_lines;
    return v;
}

// Whether two URLs name the same scheme, host and port: a Location that
// leaves the board gets no credentials.
bool SameOrigin(std::string_view a, std::string_view b) {
    auto origin = [](std::string_view url) {
        const auto scheme = url.find("://");
        if (scheme == std::string_view::npos) return url;
        return url.substr(0, url.find_first_of("/?#", scheme + 3));
    };
    return config::SameTextNoCase(origin(a), origin(b));
}

// How long a request may keep us waiting before the host is asked again
// whether to go on: with TIMEOUT 0 a board that never answers would otherwise
// hold the send, and the user's wish to stop, for ever.
constexpr std::uint64_t kAskAgainMs = 3000;

// The wait of a request: "送信中" again every kAskAgainMs; false (give the
// request up) once the host asks to stop, which `stopped` then records.
std::function<bool()> AskWhileWaiting(ProgressCallback callback, bool& stopped) {
    if (!callback) return {};
    return [callback, &stopped, next = platform::MonotonicMs() + kAskAgainMs]() mutable {
        if (platform::MonotonicMs() < next) return true;
        next = platform::MonotonicMs() + kAskAgainMs;
        stopped = stopped || HostAsksToStop(callback, "送信中");
        return !stopped;
    };
}

bool IsSuccess(int status) {
    return status >= 200 && status <= 299;
}

// Why a mail is held, before the particular reason.
const std::string kUnsure = "投稿が掲示板に届いたかわかりません。";

// The answer as Shift_JIS text: a page in UTF-8 converted from it, any other
// read in the codes the library knows (Shift_JIS, EUC-JP, ISO-2022-JP).
std::string PageText(std::string_view answer) {
    if (auto sjis = platform::TryUtf8ToCp932(answer)) return *std::move(sjis);
    return text::ConvertJapaneseCode(answer, JapaneseCode::kShiftJis);
}

// The page's <title>, for a message that says which page the board showed.
std::string PageTitle(std::string_view page) {
    const auto open = text::FindText(page, 0, 0, "<title");
    if (!open) return {};
    const auto start = page.find('>', open->start);
    if (start == std::string_view::npos) return {};
    const auto end = text::FindText(page, start, 1, "</title");
    if (!end) return {};
    std::string title(page.substr(start + 1, end->start - start - 1));
    for (char& c : title)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    const auto first = title.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return title.substr(first, title.find_last_not_of(' ') - first + 1);
}

// How boards mark a refusal page: in its title, or in the machine-readable
// comment of 2ch-style boards ("<!-- 2ch_X:error -->"; "cookie" and "check"
// are confirmations, which leave the post unwritten as well).
constexpr std::string_view kRefusalTitles[] = {"ＥＲＲＯＲ", "ERROR", "エラー", "書き込めません"};
constexpr std::string_view kRefusalMarks[] = {"_X:error", "_X:false", "_X:cookie", "_X:check"};

bool IsRefusal(std::string_view page) {
    const std::string title = PageTitle(page);
    for (std::string_view mark : kRefusalTitles)
        if (text::FindText(title, 0, 0, mark)) return true;
    for (std::string_view mark : kRefusalMarks)
        if (page.find(mark) != std::string_view::npos) return true;
    return false;
}

}  // namespace

bool PostOverHttp(const std::string& account_path, ProgressCallback callback, HttpMethod method,
                  TPostEml& mail) {
    const bool post = method == HttpMethod::kPost;
    if (HostAsksToStop(callback, post ? "POSTによる送信開始" : "GETによる送信開始")) return true;

    const config::IniFile account(account_path);
    const std::int32_t timeout_s = account.ReadInteger(keys::kPlugin, keys::kTimeout, 0);
    const config::ProxyResult proxy = config::LookUpProxy(account);

    const config::IniFile group(config::FileIn(mail.GroupFolder, config::kGroupSettingsFile));
    const std::string url = ExpandUrlTemplate(group, mail.PostUrl);
    const TemplateValues values = ReadValues(group, mail);
    const JapaneseCode target = group.ReadString(keys::kBasic, keys::kCharset, "") == "EUC"
                                    ? JapaneseCode::kEucJp
                                    : JapaneseCode::kShiftJis;
    std::vector<std::string> pairs;
    try {
        pairs = ExpandParameterTemplate(
            mail.PostParams, values,
            [&](std::string_view key) { return group.ReadString(keys::kBasic, key, ""); }, target);
    } catch (const ParameterLoopError& e) {
        mail.Fail(e.what());
        return false;
    }

    HttpRequest request;
    request.post = post;
    request.url = UrlSafe(post ? url : url + "?" + FormQuery(pairs));
    if (post) request.body = FormBody(pairs);
    request.content_type = kFormType;
    request.user_agent = kUserAgent;
    request.user = values.user;
    request.password = values.pass;
    request.proxy_host = proxy.host;
    request.proxy_port = proxy.port;
    request.idle_timeout_ms =
        timeout_s > 0 ? static_cast<int>(std::min<std::int64_t>(timeout_s * 1000LL, INT_MAX)) : 0;

    if (HostAsksToStop(callback, "送信中")) return true;
    if (!mail.MayLeave()) return false;
    bool stopped = false;
    request.on_wait = AskWhileWaiting(callback, stopped);
    const HttpResponse response = SendHttpRequest(request);
    if (response.abandoned) {
        if (response.request_sent) mail.Hold(kUnsure + "送信中に中止されました");
        return true;
    }
    std::string received = response.body;
    if (!response.ok) {
        // 302 is how boards answer an accepted post; 303 says the same in
        // today's words. Either way the post is in, whatever becomes of
        // reading the page it points to.
        if (response.status != 302 && response.status != 303) {
            const std::string why = response.error + "\r\n" + received;
            // No answer, or an answer cut short, after the request left: the
            // board may well have taken it. A status of its own that is no
            // success is its refusal, and the next send tries again.
            if (response.request_sent && (response.status == 0 || IsSuccess(response.status)))
                mail.Hold(kUnsure + "掲示板の応答が途中で途切れました:" + why);
            else
                mail.Fail(why);
            return false;
        }
        if (!response.location.empty()) {
            HttpRequest page = request;
            page.url = response.location;
            page.post = false;
            page.body.clear();
            if (!SameOrigin(page.url, request.url)) page.user = page.password = "";
            // The post is in: stopping here only cuts the page short.
            page.on_wait = AskWhileWaiting(callback, stopped);
            received += SendHttpRequest(page).body;
        }
    }

    // The log is only the board's answer: a post that went out counts even
    // when it can't be kept, or the next send would post the text again.
    try {
        platform::WriteFileAtomic(config::FileIn(mail.GroupFolder, config::kSendLogFile), received);
    } catch (const Error& e) {
        (void)HostAsksToStop(
            callback, std::string("投稿は完了しましたが、送信LOGを書き込めません:") + e.what());
    }

    const std::string success = group.ReadString(keys::kBasic, keys::kPostSuccessText, "");
    const std::string page = success.empty() ? std::string() : PageText(received);
    if (!success.empty() && page.find(success) == std::string::npos) {
        const std::string title = "「" + PageTitle(page) + "」\r\n" + received;
        // A page that says it refused leaves nothing on the board; any other
        // page may be one the board shows after taking the post.
        if (IsRefusal(page))
            mail.Fail("掲示板が投稿を受け付けませんでした:" + title);
        else
            mail.Hold(kUnsure + "掲示板の応答に POST_SUCCESS_TEXT の文字列がありません:" + title);
    }
    return false;
}

}  // namespace drwa::post
