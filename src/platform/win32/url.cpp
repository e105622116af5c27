// Taking URLs apart with WinHTTP's parser, the stack that also sends them.
// WinHTTP knows only http and https and wants a scheme, so the host of a
// board address written bare or with another scheme is read as the same
// address over http: the host is where it stands either way.
#include <windows.h>
#include <winhttp.h>

#include <string>

#include "platform/url.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

std::string UrlHost(std::string_view url) {
    const std::size_t separator = url.find("://");
    const std::optional<std::wstring> wide = win32::TryCp932ToWide(
        "http://" +
        std::string(separator == std::string_view::npos ? url : url.substr(separator + 3)));
    if (!wide) return {};
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wide->c_str(), static_cast<DWORD>(wide->size()), 0, &parts)) return {};
    std::wstring_view host(parts.lpszHostName, parts.dwHostNameLength);
    // An IPv6 literal keeps its brackets, as the other back-end gives it; Wine's
    // parser stops at the first colon inside them.
    if (host.starts_with(L'[')) {
        const std::wstring_view from(parts.lpszHostName);
        const std::size_t close = from.find(L']');
        if (close == std::wstring_view::npos) return {};
        host = from.substr(0, close + 1);
    }
    // The parser takes blanks into a host name; no host has them.
    for (const wchar_t c : host)
        if (c <= L' ') return {};
    return win32::TryWideToCp932(host).value_or("");
}

}  // namespace drwa::platform
