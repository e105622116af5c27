// The Windows back-end of the HTTP client: WinHTTP, the system's own stack
// (https through the system, nothing to ship), in its asynchronous mode.
//
// Why asynchronous WinHTTP and not WinINet in a worker thread: the caller's
// thread must wake every kHttpWakeMs for the host's pending work and may give
// the request up at any wake. With WinHTTP's callbacks the caller waits on
// one event and owns the request handle: closing it cancels whatever is
// underway, and WinHTTP says when it is done with our state (HANDLE_CLOSING),
// so nothing of ours is freed under it and no thread of ours outlives a
// call. A blocking WinINet call in a worker cannot be interrupted reliably,
// and that worker would have to outlive an abandoned request.
//
// The idle time-out is our own timer over the callbacks, not WinHTTP's
// per-phase time-outs: it counts silence in every phase alike (connecting,
// sending, each read), as the libcurl back-end does.
#include <shlwapi.h>
#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"
#include "platform/http_client.h"
#include "text/base64.h"

namespace drwa::platform {
namespace {

struct InternetCloser {
    void operator()(HINTERNET h) const { WinHttpCloseHandle(h); }
};
using Internet = std::unique_ptr<void, InternetCloser>;

using win32::TryCp932ToWide;
using win32::TryWideToCp932;

// Words for the WinHTTP errors a user meets, for a winhttp.dll that carries
// no texts of its own (Wine's has none).
constexpr std::pair<DWORD, const char*> kWinHttpTexts[] = {
    {ERROR_WINHTTP_TIMEOUT, "The operation timed out"},
    {ERROR_WINHTTP_INVALID_URL, "The URL is invalid"},
    {ERROR_WINHTTP_UNRECOGNIZED_SCHEME, "The URL's scheme is neither http nor https"},
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, "The server name could not be resolved"},
    {ERROR_WINHTTP_OPERATION_CANCELLED, "The operation was cancelled"},
    {ERROR_WINHTTP_CANNOT_CONNECT, "No connection with the server could be made"},
    {ERROR_WINHTTP_CONNECTION_ERROR, "The connection with the server was broken off"},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, "The server's answer is not HTTP"},
    {ERROR_WINHTTP_SECURE_FAILURE, "The server's certificate was refused"},
    {ERROR_WINHTTP_SECURE_CHANNEL_ERROR, "The secure channel failed"},
    {ERROR_WINHTTP_SECURE_INVALID_CA, "The server's certificate is from an unknown authority"},
    {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, "The server's certificate names another host"},
    {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, "The server's certificate has expired"},
    {ERROR_WINHTTP_LOGIN_FAILURE, "The login was refused"},
};

// WinHTTP's own words for its error codes (they live in winhttp.dll, not in
// the system's table), else ours, else the system's form with the code.
std::string ErrorText(DWORD code) {
    if (code >= WINHTTP_ERROR_BASE && code <= WINHTTP_ERROR_LAST) {
        wchar_t buffer[512];
        DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 GetModuleHandleW(L"winhttp.dll"), code, 0, buffer,
                                 static_cast<DWORD>(std::size(buffer)), nullptr);
        while (n > 0 && (buffer[n - 1] == L'\r' || buffer[n - 1] == L'\n' || buffer[n - 1] == L' '))
            --n;
        if (n > 0) return win32::ShowableName(std::wstring_view(buffer, n));
        for (const auto& [known, text] : kWinHttpTexts)
            if (known == code) return text;
    }
    std::string text = win32::SystemErrorText(code);
    while (!text.empty() && text.back() == '\n') text.pop_back();  // the system had no words
    return text;
}

// How long a closed request may take to report its end (instant in practice).
constexpr DWORD kCloseWaitMs = 2000;

std::string IdleTimeoutText(int ms) {
    return "Read timed out: nothing received for " + std::to_string(ms) + " ms";
}

// The URL as it goes on the wire. A byte outside printable ASCII (a raw
// Shift_JIS character, a blank) is sent as its %XX escape, so WinHTTP is given
// plain ASCII and told not to escape again: what the caller's bytes were is
// what the board gets, whatever code page WinHTTP would pick.
std::string WireUrl(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : url) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += c;
        }
    }
    return out;
}

// The bytes of a header as the server sent them. WinHTTP hands headers over
// widened from their bytes, Wine's in the ANSI code page, Windows' byte for
// byte; this undoes whichever of the two gives bytes back. A board that puts
// raw Shift_JIS into a Location keeps it under any code page.
std::optional<std::string> HeaderBytes(std::wstring_view header) {
    if (std::all_of(header.begin(), header.end(), [](wchar_t c) { return c < 0x80; }))
        return std::string(header.begin(), header.end());
    BOOL used_default = FALSE;
    const int n =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, header.data(),
                            static_cast<int>(header.size()), nullptr, 0, nullptr, &used_default);
    if (n > 0 && !used_default) {
        std::string out(static_cast<std::size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, header.data(),
                            static_cast<int>(header.size()), out.data(), n, nullptr, nullptr);
        return out;
    }
    if (std::all_of(header.begin(), header.end(), [](wchar_t c) { return c <= 0xFF; }))
        return std::string(header.begin(), header.end());
    return std::nullopt;
}

// The state one request shares with WinHTTP's callbacks. WinHTTP holds a
// reference (keep_alive) from the moment the callback is set until it reports
// the request handle closed, so that a request WinHTTP is slow to let go of
// can end on its threads after SendHttpRequest has returned.
struct Exchange {
    win32::UniqueHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    win32::UniqueHandle closed{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<ULONGLONG> last_activity{GetTickCount64()};
    // Set once WinHTTP begins to write the request: the board may have it.
    std::atomic<bool> request_sent{false};
    std::shared_ptr<Exchange> keep_alive;  // WinHTTP's reference

    // Only touched by the callback chain (one operation in flight at a time).
    std::string upload;
    std::size_t written = 0;
    std::vector<char> buffer;

    std::mutex mutex;  // guards what follows: the callbacks write, the caller reads
    bool finished = false;
    DWORD error = 0;
    int status = 0;
    std::string status_line;
    std::wstring location;
    std::string body;

    void Finish(DWORD code) {
        const std::lock_guard lock(mutex);
        if (finished) return;
        finished = true;
        error = code;
        SetEvent(done.get());
    }

    // Sends the next piece of the body, or asks for the answer when all is out.
    // The body goes in pieces so that a long upload counts as activity.
    void SendMore(HINTERNET h) {
        constexpr std::size_t kPiece = 64 * 1024;
        const bool more = written < upload.size();
        const BOOL ok =
            more ? WinHttpWriteData(h, upload.data() + written,
                                    static_cast<DWORD>(std::min(kPiece, upload.size() - written)),
                                    nullptr)
                 : WinHttpReceiveResponse(h, nullptr);
        if (!ok) Finish(GetLastError());
    }

    void TakeHead(HINTERNET h) {
        DWORD code = 0;
        DWORD size = sizeof code;
        WinHttpQueryHeaders(h, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &code, &size, WINHTTP_NO_HEADER_INDEX);
        const std::wstring raw = Header(h, WINHTTP_QUERY_RAW_HEADERS_CRLF);
        const std::wstring first = raw.substr(0, raw.find(L"\r\n"));
        std::wstring where = Header(h, WINHTTP_QUERY_LOCATION);
        const std::lock_guard lock(mutex);
        status = static_cast<int>(code);
        status_line = HeaderBytes(first).value_or("HTTP " + std::to_string(code));
        location = std::move(where);
    }

    static std::wstring Header(HINTERNET h, DWORD which) {
        DWORD size = 0;
        WinHttpQueryHeaders(h, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                            WINHTTP_NO_HEADER_INDEX);
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
        std::wstring out(size / sizeof(wchar_t) + 1, L'\0');
        if (!WinHttpQueryHeaders(h, which, WINHTTP_HEADER_NAME_BY_INDEX, out.data(), &size,
                                 WINHTTP_NO_HEADER_INDEX))
            return {};
        out.resize(size / sizeof(wchar_t));
        return out;
    }

    void AskForData(HINTERNET h) {
        if (!WinHttpQueryDataAvailable(h, nullptr)) Finish(GetLastError());
    }
};

void CALLBACK OnStatus(HINTERNET h, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
    auto* x = reinterpret_cast<Exchange*>(context);
    if (x == nullptr) return;
    if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
        // The last word on this request: WinHTTP lets go of our state.
        const std::shared_ptr<Exchange> last = std::move(x->keep_alive);
        SetEvent(x->closed.get());
        return;
    }
    x->last_activity = GetTickCount64();
    switch (status) {
        case WINHTTP_CALLBACK_STATUS_SENDING_REQUEST:
            x->request_sent = true;
            break;
        case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
            x->SendMore(h);
            break;
        case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
            x->written += *static_cast<DWORD*>(info);
            x->SendMore(h);
            break;
        case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
            x->TakeHead(h);
            x->AskForData(h);
            break;
        case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE: {
            const DWORD available = *static_cast<DWORD*>(info);
            if (available == 0) {
                x->Finish(ERROR_SUCCESS);
                break;
            }
            x->buffer.resize(available);
            if (!WinHttpReadData(h, x->buffer.data(), available, nullptr))
                x->Finish(GetLastError());
            break;
        }
        case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
            if (length == 0) {
                x->Finish(ERROR_SUCCESS);
                break;
            }
            {
                const std::lock_guard lock(x->mutex);
                x->body.append(static_cast<const char*>(info), length);
            }
            x->AskForData(h);
            break;
        case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
            x->Finish(static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError);
            break;
        default:
            break;
    }
}

// `reference` resolved against `base`, as a browser follows a Location, with
// bytes outside printable ASCII escaped as the other back-end does; the
// reference as it stands when it can't be combined.
std::string ResolveReference(const std::wstring& base, const std::wstring& header) {
    const std::optional<std::string> bytes = HeaderBytes(header);
    if (!bytes) return {};
    const std::string escaped = WireUrl(*bytes);
    const std::wstring reference(escaped.begin(), escaped.end());
    std::wstring out(2048 + base.size() + reference.size(), L'\0');
    DWORD size = static_cast<DWORD>(out.size());
    if (FAILED(UrlCombineW(base.c_str(), reference.c_str(), out.data(), &size, 0))) return escaped;
    out.resize(size);
    return TryWideToCp932(out).value_or(escaped);
}

struct Target {
    std::wstring host;
    INTERNET_PORT port = 0;
    std::wstring path;  // path and query
    bool secure = false;
};

// The parts of an http or https URL; the error text when it is anything else.
std::optional<Target> Crack(const std::wstring& url, std::string& error) {
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwSchemeLength = static_cast<DWORD>(-1);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    const bool cracked = WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts);
    if (!cracked ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        // The URL comes from a mail or a board file: nothing but the web, so
        // that a "file://" address can't reach a local file. The scheme is
        // named, as WinHTTP's text doesn't.
        const std::wstring scheme = url.substr(0, url.find(L':'));
        error = ErrorText(cracked ? ERROR_WINHTTP_UNRECOGNIZED_SCHEME : GetLastError()) + " (" +
                TryWideToCp932(scheme).value_or("?") + ")";
        return std::nullopt;
    }
    Target t;
    t.host.assign(parts.lpszHostName, parts.dwHostNameLength);
    // The scheme's own port is left to WinHTTP (INTERNET_DEFAULT_PORT), so it
    // is not written into a proxy's request line or the Host header.
    const INTERNET_PORT standard = parts.nScheme == INTERNET_SCHEME_HTTPS
                                       ? INTERNET_DEFAULT_HTTPS_PORT
                                       : INTERNET_DEFAULT_HTTP_PORT;
    t.port = parts.nPort == standard ? INTERNET_DEFAULT_PORT : parts.nPort;
    t.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
    t.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (t.path.empty()) t.path = L"/";
    t.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    return t;
}

// The header lines WinHTTP doesn't write itself. Basic credentials go with the
// first request, as the bytes the caller gave (WinHTTP's own would be
// re-encoded from UTF-16 and sent only after a 401).
// Nothing when the content type is not CP932: the request is refused rather
// than sent without its headers.
std::optional<std::wstring> ExtraHeaders(const HttpRequest& r) {
    std::string lines;
    if (!r.content_type.empty()) lines += "Content-Type: " + r.content_type + "\r\n";
    if (!r.user.empty() || !r.password.empty())
        lines += "Authorization: Basic " + text::EncodeBase64(r.user + ":" + r.password) + "\r\n";
    return TryCp932ToWide(lines);
}

bool SetFlags(HINTERNET h, DWORD option, DWORD value) {
    return WinHttpSetOption(h, option, &value, sizeof value);
}

}  // namespace

HttpResponse SendHttpRequest(const HttpRequest& request) {
    HttpResponse out;
    auto failed = [&](DWORD code) {
        out.error = ErrorText(code);
        return out;
    };
    const std::optional<std::wstring> url = TryCp932ToWide(WireUrl(request.url));
    const std::optional<std::wstring> agent = TryCp932ToWide(request.user_agent);
    const std::optional<std::wstring> proxy_host = TryCp932ToWide(request.proxy_host);
    if (!url || !agent || !proxy_host) return failed(ERROR_NO_UNICODE_TRANSLATION);
    const std::optional<Target> target = Crack(*url, out.error);
    if (!target) return out;

    // No proxy unless the caller names one: never the system's or the
    // environment's behind its back.
    std::wstring proxy = *proxy_host;
    if (!proxy.empty() && request.proxy_port > 0)
        proxy += L":" + std::to_wstring(request.proxy_port);
    Internet session(
        WinHttpOpen(agent->c_str(),
                    proxy.empty() ? WINHTTP_ACCESS_TYPE_NO_PROXY : WINHTTP_ACCESS_TYPE_NAMED_PROXY,
                    proxy.empty() ? WINHTTP_NO_PROXY_NAME : proxy.c_str(), WINHTTP_NO_PROXY_BYPASS,
                    WINHTTP_FLAG_ASYNC));
    if (!session || !WinHttpSetTimeouts(session.get(), 0, 0, 0, 0)) return failed(GetLastError());
    Internet connection(WinHttpConnect(session.get(), target->host.c_str(), target->port, 0));
    if (!connection) return failed(GetLastError());
    Internet handle(
        WinHttpOpenRequest(connection.get(), request.post ? L"POST" : L"GET", target->path.c_str(),
                           nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                           WINHTTP_FLAG_ESCAPE_DISABLE | WINHTTP_FLAG_ESCAPE_DISABLE_QUERY |
                               (target->secure ? WINHTTP_FLAG_SECURE : 0)));
    if (!handle) return failed(GetLastError());
    // Redirects are the caller's to judge; cookies are no business of ours.
    if (!SetFlags(handle.get(), WINHTTP_OPTION_DISABLE_FEATURE,
                  WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_KEEP_ALIVE))
        return failed(GetLastError());
    const std::optional<std::wstring> headers = ExtraHeaders(request);
    if (!headers) return failed(ERROR_NO_UNICODE_TRANSLATION);

    auto exchange = std::make_shared<Exchange>();
    if (!exchange->done || !exchange->closed) return failed(GetLastError());
    if (request.post) exchange->upload = request.body;
    Exchange* context = exchange.get();
    if (!WinHttpSetOption(handle.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context))
        return failed(GetLastError());
    exchange->keep_alive = exchange;
    if (WinHttpSetStatusCallback(handle.get(), &OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS,
                                 0) == WINHTTP_INVALID_STATUS_CALLBACK) {
        exchange->keep_alive.reset();
        return failed(GetLastError());
    }
    const DWORD send_error =
        WinHttpSendRequest(
            handle.get(), headers->empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : headers->c_str(),
            static_cast<DWORD>(headers->size()), WINHTTP_NO_REQUEST_DATA, 0,
            static_cast<DWORD>(exchange->upload.size()), reinterpret_cast<DWORD_PTR>(context))
            ? ERROR_SUCCESS
            : GetLastError();

    bool completed = false;
    while (send_error == ERROR_SUCCESS) {
        if (WaitForSingleObject(exchange->done.get(), kHttpWakeMs) == WAIT_OBJECT_0) {
            completed = true;
            break;
        }
        if (request.on_wait && !request.on_wait()) {
            out.abandoned = true;
            out.error = "Request abandoned while waiting for the answer";
            break;
        }
        const ULONGLONG silent = GetTickCount64() - exchange->last_activity;
        if (request.idle_timeout_ms > 0 &&
            silent >= static_cast<ULONGLONG>(request.idle_timeout_ms)) {
            out.error = IdleTimeoutText(request.idle_timeout_ms);
            break;
        }
    }
    // Closing the handle cancels whatever is still underway. Its last callback
    // is awaited, so that no WinHTTP thread is still in this library's code
    // when the host may unload it; a stack slow to let go is not waited for.
    handle.reset();
    WaitForSingleObject(exchange->closed.get(), kCloseWaitMs);
    if (send_error != ERROR_SUCCESS) return failed(send_error);

    out.request_sent = exchange->request_sent;
    const std::lock_guard lock(exchange->mutex);
    out.status = exchange->status;
    out.body = exchange->body;
    if (!exchange->location.empty()) out.location = ResolveReference(*url, exchange->location);
    if (!completed) return out;
    if (exchange->error != ERROR_SUCCESS)
        out.error = ErrorText(exchange->error);
    else if (out.status < 200 || out.status > 299)
        out.error = exchange->status_line;
    else
        out.ok = true;
    return out;
}

}  // namespace drwa::platform
