#include "post/url_template.h"

#include "config/settings_keys.h"
#include "config/text_helpers.h"

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
