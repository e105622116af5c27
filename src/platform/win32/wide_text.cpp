// Conversions between CP932, UTF-8 and UTF-16 through the Windows code-page
// API, and the system's error texts. See wide_text.h.
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <algorithm>

#include "common/error.h"

namespace drwa::platform::win32 {
namespace {

constexpr UINT kCp932 = 932;

std::optional<std::wstring> ToWide(UINT code_page, std::string_view bytes) {
    if (bytes.empty()) return std::wstring();
    const int length = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), length, out.data(), n) !=
        n)
        return std::nullopt;
    return out;
}

}  // namespace

std::optional<std::wstring> TryCp932ToWide(std::string_view cp932) {
    return ToWide(kCp932, cp932);
}

std::optional<std::wstring> TryUtf8ToWide(std::string_view utf8) {
    return ToWide(CP_UTF8, utf8);
}

std::optional<std::string> TryWideToCp932(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    BOOL used_default = FALSE;
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                      nullptr, &used_default);
    if (n <= 0 || used_default) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(), n,
                            nullptr, &used_default) != n ||
        used_default)
        return std::nullopt;
    return out;
}

std::optional<std::string> TryWideToUtf8(std::wstring_view wide) {
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    // A lone surrogate has no UTF-8 form: refused, not replaced.
    const int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, nullptr,
                                      0, nullptr, nullptr);
    if (n <= 0) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, wide.data(), length, out.data(), n,
                            nullptr, nullptr) != n)
        return std::nullopt;
    return out;
}

std::wstring WidePath(std::string_view cp932) {
    if (auto wide = TryCp932ToWide(cp932)) return *std::move(wide);
    throw Error("ファイル名を変換できません: " + std::string(cp932));
}

std::string ShowableName(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                      "?", nullptr);
    if (n <= 0) return "?";
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(), n, "?",
                        nullptr);
    return out;
}

std::string SystemErrorText(unsigned long code) {
    std::string out = "システム エラー。コード : " + std::to_string(code) + ".\n";
    wchar_t* raw = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&raw), 0, nullptr);
    if (n == 0 || !raw) return out;
    std::wstring text(raw, n);
    LocalFree(raw);
    // The system ends its texts with CR LF; the caller decides what follows.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    return out + ShowableName(text);
}

void FailOnPath(std::string_view path, unsigned long code) {
    throw Error(std::string(path) + ": " + SystemErrorText(code));
}

bool WriteAllTo(void* handle, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace drwa::platform::win32
