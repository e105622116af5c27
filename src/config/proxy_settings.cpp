#include "config/proxy_settings.h"

#include "common/error.h"
#include "config/settings_keys.h"
#include "text/text_search.h"

namespace drwa::config {
namespace {

bool Enabled(const platform::ProxyEnableValue& value) {
    if (value.is_binary) return !value.bytes.empty() && value.bytes[0] == 1;
    return value.number == 1;
}

std::int32_t PortOf(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    if (text.empty()) return 80;
    // Only decimal digits with an optional sign: no hexadecimal here.
    std::string_view digits = text;
    if (digits.front() == '-' || digits.front() == '+') digits.remove_prefix(1);
    bool decimal = !digits.empty() && digits.size() <= 10;
    for (char c : digits) decimal = decimal && c >= '0' && c <= '9';
    auto value = decimal ? ParseIniInteger(text) : std::nullopt;
    if (!value) throw Error("'" + std::string(text) + "' is not a valid integer value");
    return *value;
}

}  // namespace

ProxyResult DetectSystemProxy(const platform::SystemProxySettings& settings) {
    ProxyResult result;
    if (!settings.proxy_enable || !Enabled(*settings.proxy_enable)) return result;
    result.found = true;
    const std::string_view server = settings.proxy_server;

    std::string_view host, port;
    if (auto http = text::FindText(server, 0, 0, "http=")) {
        const std::size_t from = http->start + http->length;
        const std::size_t colon = server.find(':', from);
        if (colon == std::string_view::npos) return ProxyResult{};
        host = server.substr(from, colon - from);
        const std::size_t semicolon = server.find(';', colon + 1);
        port =
            server.substr(colon + 1, semicolon == std::string_view::npos ? std::string_view::npos
                                                                         : semicolon - colon - 1);
    } else {
        const std::size_t colon = server.find(':');
        host = server.substr(0, colon);
        if (colon != std::string_view::npos) {
            const std::size_t second = server.find(':', colon + 1);
            port =
                server.substr(colon + 1, second == std::string_view::npos ? std::string_view::npos
                                                                          : second - colon - 1);
        }
    }
    result.host = std::string(host);
    result.port = PortOf(port);
    return result;
}

ProxyResult LookUpProxy(const IniFile& account) {
    switch (account.ReadInteger(keys::kPlugin, keys::kProxySetting, 0)) {
        case 1:
            return ProxyResult{account.ReadString(keys::kPlugin, keys::kProxyHost, ""),
                               account.ReadInteger(keys::kPlugin, keys::kProxyPort, 0), false};
        case 2: {
            ProxyResult detected = DetectSystemProxy(platform::ReadSystemProxySettings());
            return detected.found ? detected : ProxyResult{};
        }
        default:
            return ProxyResult{};
    }
}

}  // namespace drwa::config
