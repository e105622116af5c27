// The proxy the user chose in the system's Internet settings, read from the
// current user's registry as it is stored there; the detection code above
// interprets the two values.
#include <windows.h>

#include <algorithm>
#include <memory>
#include <string>
#include <type_traits>

#include "platform/proxy_source.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

constexpr const wchar_t* kInternetSettings =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct KeyCloser {
    void operator()(HKEY key) const { ::RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The value's type and bytes; nothing when it is missing or unreadable.
std::optional<std::pair<DWORD, std::string>> ReadValue(HKEY key, const wchar_t* name) {
    DWORD type = 0, size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::string bytes(size, '\0');
    if (::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(bytes.data()),
                           &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(size);
    return std::pair{type, std::move(bytes)};
}

std::optional<ProxyEnableValue> ProxyEnable(HKEY key) {
    auto value = ReadValue(key, L"ProxyEnable");
    if (!value) return std::nullopt;
    auto& [type, bytes] = *value;
    ProxyEnableValue out;
    if (type == REG_BINARY) {
        out.is_binary = true;
        out.bytes = bytes;
        return out;
    }
    // Any other type is read as an integer, as far as its bytes go.
    out.is_binary = false;
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < std::min<std::size_t>(bytes.size(), 4); ++i)
        number |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])) << (8 * i);
    out.number = static_cast<std::int32_t>(number);
    return out;
}

// The server text in CP932; a name CP932 lacks cannot be a proxy we can use,
// so it reads as empty rather than as another name.
std::string ProxyServer(HKEY key) {
    auto value = ReadValue(key, L"ProxyServer");
    if (!value || (value->first != REG_SZ && value->first != REG_EXPAND_SZ)) return {};
    std::wstring text(value->second.size() / sizeof(wchar_t), L'\0');
    std::copy_n(value->second.data(), text.size() * sizeof(wchar_t),
                reinterpret_cast<char*>(text.data()));
    // The stored terminator (or several) is not part of the text.
    if (auto end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
    return win32::TryWideToCp932(text).value_or("");
}

}  // namespace

SystemProxySettings ReadSystemProxySettings() {
    SystemProxySettings settings;
    HKEY raw = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kInternetSettings, 0, KEY_QUERY_VALUE, &raw) !=
        ERROR_SUCCESS)
        return settings;
    UniqueKey key(raw);
    settings.proxy_enable = ProxyEnable(key.get());
    if (settings.proxy_enable) settings.proxy_server = ProxyServer(key.get());
    return settings;
}

}  // namespace drwa::platform
