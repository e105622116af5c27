#include "platform/url.h"

#include <curl/curl.h>

#include <memory>

namespace drwa::platform {

std::string UrlHost(std::string_view url) {
    std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), &curl_url_cleanup);
    if (!handle) return {};
    const std::string text(url);
    // Board addresses in settings are often written without a scheme.
    if (curl_url_set(handle.get(), CURLUPART_URL, text.c_str(),
                     CURLU_DEFAULT_SCHEME | CURLU_NON_SUPPORT_SCHEME) != CURLUE_OK)
        return {};
    char* host = nullptr;
    if (curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) != CURLUE_OK || !host) return {};
    std::string out = host;
    curl_free(host);
    return out;
}

}  // namespace drwa::platform
