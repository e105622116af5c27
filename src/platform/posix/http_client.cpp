// The libcurl back-end of the HTTP client, and the one file of the library that
// includes <curl/curl.h> for transfers.
//
// libcurl has no time-out for a silent connection, only a total one and an
// average speed, so the transfer runs on the multi interface: the wait wakes
// at least every kHttpWakeMs, which gives both an idle timer of our own and a
// regular turn for the caller's pending work.
#include "platform/http_client.h"

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/system.h"

namespace drwa::platform {
namespace {

struct EasyDeleter {
    void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
    void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct UrlDeleter {
    void operator()(CURLU* u) const { curl_url_cleanup(u); }
};
struct TextDeleter {
    void operator()(char* p) const { curl_free(p); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// libcurl's global state, set up once for the life of the library and torn
// down when it is unloaded. libcurl counts these calls, so a host that uses
// libcurl itself is not disturbed.
class GlobalInit {
  public:
    GlobalInit() : ok_(curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK) {}
    ~GlobalInit() {
        if (ok_) curl_global_cleanup();
    }
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

bool EnsureGlobalInit() {
    static GlobalInit init;
    return init.ok();
}

// The easy handle leaves the multi handle before either is cleaned up.
class Attachment {
  public:
    Attachment(CURLM* multi, CURL* easy) : multi_(multi), easy_(easy) {}
    ~Attachment() { curl_multi_remove_handle(multi_, easy_); }
    Attachment(const Attachment&) = delete;
    Attachment& operator=(const Attachment&) = delete;

  private:
    CURLM* multi_;
    CURL* easy_;
};

// What the callbacks see of one transfer.
struct Transfer {
    HttpResponse* response = nullptr;
    std::uint64_t last_activity_ms = platform::MonotonicMs();
    curl_off_t uploaded = 0;
    std::string status_line;  // of the last answer (a proxy may answer first)
    std::string location;
};

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    t->response->body.append(data, size * count);
    t->last_activity_ms = platform::MonotonicMs();
    return size * count;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* t = static_cast<Transfer*>(user);
    t->last_activity_ms = platform::MonotonicMs();
    const std::string_view line(data, size * count);
    constexpr std::string_view kLocation = "location:";
    if (line.starts_with("HTTP/")) {
        t->status_line = Trimmed(line);
        t->location.clear();
    } else if (line.size() > kLocation.size() &&
               curl_strnequal(line.data(), kLocation.data(), kLocation.size())) {
        t->location = Trimmed(line.substr(kLocation.size()));
    }
    return size * count;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
    auto* t = static_cast<Transfer*>(user);
    if (uploaded != t->uploaded) {
        t->uploaded = uploaded;
        t->last_activity_ms = platform::MonotonicMs();
    }
    return 0;
}

// `reference` resolved against `base`, as a browser follows a Location; the
// reference as it stands when libcurl can't make sense of it.
std::string ResolveReference(const std::string& base, const std::string& reference) {
    std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_URL, reference.c_str(), 0) != CURLUE_OK)
        return reference;
    char* resolved = nullptr;
    if (curl_url_get(url.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK || !resolved)
        return reference;
    std::unique_ptr<char, TextDeleter> owned(resolved);
    return resolved;
}

// The options of one request. False when libcurl refuses one (out of memory).
bool Configure(CURL* h, const HttpRequest& r, Transfer& t, curl_slist* headers, char* error) {
    bool ok = true;
    auto set = [&](CURLoption option, auto value) {
        ok = ok && curl_easy_setopt(h, option, value) == CURLE_OK;
    };
    set(CURLOPT_ERRORBUFFER, error);
    set(CURLOPT_URL, r.url.c_str());
    // The URL comes from a mail or a board file: nothing but the web, so that
    // a "file://" address can't copy a local file into the send log.
    set(CURLOPT_PROTOCOLS_STR, "http,https");
    set(CURLOPT_FOLLOWLOCATION, 0L);
    // Inside a host's process: no signals, which libcurl would use for its
    // resolver time-outs.
    set(CURLOPT_NOSIGNAL, 1L);
    set(CURLOPT_USERAGENT, r.user_agent.c_str());
    set(CURLOPT_HTTPHEADER, headers);
    if (r.post) {
        set(CURLOPT_POST, 1L);
        set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(r.body.size()));
        set(CURLOPT_POSTFIELDS, r.body.c_str());
    } else {
        set(CURLOPT_HTTPGET, 1L);
    }
    if (!r.user.empty() || !r.password.empty()) {
        set(CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        set(CURLOPT_USERNAME, r.user.c_str());
        set(CURLOPT_PASSWORD, r.password.c_str());
    }
    // An empty proxy turns off http_proxy and friends; an empty no-proxy list
    // keeps no_proxy from bypassing a proxy the user chose.
    set(CURLOPT_PROXY, r.proxy_host.c_str());
    set(CURLOPT_NOPROXY, "");
    if (!r.proxy_host.empty()) {
        set(CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP));
        if (r.proxy_port > 0) set(CURLOPT_PROXYPORT, static_cast<long>(r.proxy_port));
    }
    set(CURLOPT_WRITEFUNCTION, &OnBody);
    set(CURLOPT_WRITEDATA, &t);
    set(CURLOPT_HEADERFUNCTION, &OnHeader);
    set(CURLOPT_HEADERDATA, &t);
    set(CURLOPT_XFERINFOFUNCTION, &OnProgress);
    set(CURLOPT_XFERINFODATA, &t);
    set(CURLOPT_NOPROGRESS, 0L);
    return ok;
}

HeaderList RequestHeaders(const HttpRequest& r) {
    HeaderList list;
    auto add = [&](const std::string& line) {
        if (curl_slist* next = curl_slist_append(list.get(), line.c_str())) {
            (void)list.release();
            list.reset(next);
            return true;
        }
        return false;
    };
    // An empty "Expect:" keeps libcurl from waiting for "100 Continue", which
    // boards don't send.
    bool ok = add("Expect:");
    if (!r.content_type.empty()) ok = ok && add("Content-Type: " + r.content_type);
    if (!ok) list.reset();
    return list;
}

// libcurl counts the bytes of the request it has written so far, headers
// included, on every way out of a transfer.
bool RequestSent(CURL* h) {
    long size = 0;
    return curl_easy_getinfo(h, CURLINFO_REQUEST_SIZE, &size) == CURLE_OK && size > 0;
}

std::string IdleTimeoutText(int ms) {
    return "Read timed out: nothing received for " + std::to_string(ms) + " ms";
}

}  // namespace

HttpResponse SendHttpRequest(const HttpRequest& request) {
    HttpResponse out;
    Easy easy(EnsureGlobalInit() ? curl_easy_init() : nullptr);
    Multi multi(easy ? curl_multi_init() : nullptr);
    HeaderList headers = RequestHeaders(request);
    char error[CURL_ERROR_SIZE] = {};
    Transfer transfer;
    transfer.response = &out;
    if (!multi || !headers || !Configure(easy.get(), request, transfer, headers.get(), error)) {
        out.error = curl_easy_strerror(CURLE_OUT_OF_MEMORY);
        return out;
    }
    if (CURLMcode code = curl_multi_add_handle(multi.get(), easy.get()); code != CURLM_OK) {
        out.error = curl_multi_strerror(code);
        return out;
    }
    const Attachment attached(multi.get(), easy.get());

    for (;;) {
        int running = 0;
        CURLMcode code = curl_multi_perform(multi.get(), &running);
        if (code == CURLM_OK && running == 0) break;
        if (code == CURLM_OK) code = curl_multi_poll(multi.get(), nullptr, 0, kHttpWakeMs, nullptr);
        if (code != CURLM_OK) {
            out.error = curl_multi_strerror(code);
            return out;
        }
        if (request.on_wait && !request.on_wait()) {
            out.abandoned = true;
            out.request_sent = RequestSent(easy.get());
            out.error = "Request abandoned while waiting for the answer";
            return out;
        }
        const std::uint64_t silent = platform::MonotonicMs() - transfer.last_activity_ms;
        if (request.idle_timeout_ms > 0 &&
            silent >= static_cast<std::uint64_t>(request.idle_timeout_ms)) {
            long status = 0;
            curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
            out.status = static_cast<int>(status);
            out.request_sent = RequestSent(easy.get());
            out.error = IdleTimeoutText(request.idle_timeout_ms);
            return out;
        }
    }

    CURLcode result = CURLE_OK;
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &left))
        if (message->msg == CURLMSG_DONE) result = message->data.result;
    long status = 0;
    curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status);
    out.status = static_cast<int>(status);
    out.request_sent = RequestSent(easy.get());
    if (!transfer.location.empty()) out.location = ResolveReference(request.url, transfer.location);
    if (result != CURLE_OK) {
        out.error = error[0] ? error : curl_easy_strerror(result);
    } else if (status < 200 || status > 299) {
        out.error =
            transfer.status_line.empty() ? "HTTP " + std::to_string(status) : transfer.status_line;
    } else {
        out.ok = true;
    }
    return out;
}

}  // namespace drwa::platform
