// The host's conversions on Windows, through UTF-16 with the system's own
// tables. Code page 932 is always named: the ANSI code page of the machine
// need not be 932, and the library's texts are CP932 all the same.
#include <stdexcept>

#include "terminal_text.h"
#include "wide_text_win32.h"

namespace drwa_host {
namespace {

constexpr UINT kCp932 = 932;

bool ToWide(UINT code_page, std::string_view in, std::wstring& out) {
    out.clear();
    if (in.empty()) return true;
    const int size = static_cast<int>(in.size());
    const int n = MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), size, nullptr, 0);
    if (n <= 0) return false;
    out.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, in.data(), size, out.data(), n) ==
           n;
}

// UTF-8 refuses lone surrogates; CP932 refuses what it has no character for,
// rather than putting a look-alike ("best fit") or "?" in its place.
bool FromWide(UINT code_page, std::wstring_view in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    const bool utf8 = code_page == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    const int size = static_cast<int>(in.size());
    BOOL used_default = FALSE;
    BOOL* report = utf8 ? nullptr : &used_default;
    const int n =
        WideCharToMultiByte(code_page, flags, in.data(), size, nullptr, 0, nullptr, report);
    if (n <= 0 || used_default) return false;
    out.resize(static_cast<std::size_t>(n));
    return WideCharToMultiByte(code_page, flags, in.data(), size, out.data(), n, nullptr, report) ==
               n &&
           !used_default;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view utf8) {
    std::wstring wide;
    if (!ToWide(CP_UTF8, utf8, wide))
        throw std::runtime_error("text is no UTF-8: " + std::string(utf8));
    return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
    std::string utf8;
    if (!FromWide(CP_UTF8, wide, utf8)) throw std::runtime_error("text has no UTF-8 form");
    return utf8;
}

std::string Cp932FromWide(std::wstring_view wide) {
    std::string cp932;
    if (!FromWide(kCp932, wide, cp932))
        throw std::runtime_error("text has no CP932 form: " + Utf8FromWide(wide));
    return cp932;
}

std::string SystemMessage(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text(buffer ? buffer : L"", n);
    LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) return "system error " + std::to_string(code);
    return Utf8FromWide(text);
}

// Each byte that is no CP932 character becomes "?", as with iconv on Linux.
std::string ToUtf8(const std::string& cp932) {
    std::wstring wide;
    std::string piece, out;
    if (ToWide(kCp932, cp932, wide) && FromWide(CP_UTF8, wide, out)) return out;
    out.clear();
    for (std::size_t at = 0; at < cp932.size();) {
        const bool lead =
            IsDBCSLeadByteEx(kCp932, static_cast<BYTE>(cp932[at])) && at + 1 < cp932.size();
        const std::size_t length = lead ? 2 : 1;
        if (ToWide(kCp932, std::string_view(cp932).substr(at, length), wide) &&
            FromWide(CP_UTF8, wide, piece)) {
            out += piece;
            at += length;
        } else {
            out += '?';
            ++at;
        }
    }
    return out;
}

std::string ToCp932(const std::string& utf8) {
    return Cp932FromWide(WideFromUtf8(utf8));
}

}  // namespace drwa_host
