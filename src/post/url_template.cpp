#include "post/url_template.h"

#include "config/settings_keys.h"
#include "config/text_helpers.h"

#include <cctype>

namespace drwa::post {

namespace keys = config::keys;

std::string ExpandUrlTemplate(const config::IniFile& group, std::string_view post_url) {
    std::string url(post_url);
    if (url.find("$C") != std::string::npos)
        config::ReplaceAll(url, "$C", group.ReadString(keys::kBasic, keys::kUrl, ""));
    else if (url.find("$c") != std::string::npos)
        config::ReplaceAll(url, "$c", group.ReadString(keys::kBasic, keys::kUpUrl, ""));
    return url;
}

}  // namespace drwa::post

namespace drwa::post {

std::string UrlSafe(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto hex = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
    std::string out;
    out.reserve(url.size());
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto b = static_cast<unsigned char>(url[i]);
        const bool escape = b == '%' && i + 2 < url.size() && hex(url[i + 1]) && hex(url[i + 2]);
        if (b > 0x20 && b < 0x7F && b != '#' && (b != '%' || escape)) {
            out += url[i];
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

}  // namespace drwa::post
