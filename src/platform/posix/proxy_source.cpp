#include "platform/proxy_source.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

#include "platform/charset_edge.h"

namespace drwa::platform {
namespace {

// "host:port" of a proxy URL such as "http://user:pw@proxy.example:3128/";
// the text as it is when the URL parser cannot read it.
std::string HostAndPort(const std::string& value) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), &curl_url_cleanup);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, value.c_str(),
                             CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return value;
    auto part = [&](CURLUPart which) -> std::string {
        char* text = nullptr;
        if (curl_url_get(url.get(), which, &text, 0) != CURLUE_OK || !text) return {};
        std::string out = text;
        curl_free(text);
        return out;
    };
    std::string host = part(CURLUPART_HOST);
    if (host.empty()) return value;
    std::string port = part(CURLUPART_PORT);
    return port.empty() ? host : host + ":" + port;
}

}  // namespace

SystemProxySettings ReadSystemProxySettings() {
    SystemProxySettings settings;
    const char* value = std::getenv("http_proxy");
    if (!value || !*value) value = std::getenv("HTTP_PROXY");
    if (!value || !*value) return settings;
    settings.proxy_enable = ProxyEnableValue{true, std::string("\x01\x00\x00\x00", 4), 0};
    const std::string server = HostAndPort(value);
    settings.proxy_server = TryUtf8ToCp932(server).value_or(server);
    return settings;
}

}  // namespace drwa::platform
