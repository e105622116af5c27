// Controls built in code rather than from a resource script: the DLL then
// needs no resource compiler step, the texts stay in the CP932 tables the
// other views share, and the plugin parameter page, which only exists at run
// time, is built the same way.
#include "dialogs/win32/win32_controls.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace drwa::dialogs::win32 {

DialogFont::DialogFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        font_.reset(::CreateFontIndirectW(&metrics.lfMessageFont));
        face_ = metrics.lfMessageFont.lfFaceName;
        if (HDC screen = ::GetDC(nullptr)) {
            const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
            ::ReleaseDC(nullptr, screen);
            const LONG height = metrics.lfMessageFont.lfHeight;
            if (dpi > 0 && height != 0)
                points_ =
                    static_cast<WORD>(std::max<LONG>(1, (std::abs(height) * 72 + dpi / 2) / dpi));
        }
    }
    if (!font_) {
        font_.reset(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
        face_ = L"MS Shell Dlg";
    }
}

std::vector<WORD> EmptyDialogTemplate(std::string_view caption, short width, short height,
                                      const DialogFont& font) {
    DLGTEMPLATE head{};
    head.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    head.cdit = 0;
    head.cx = width;
    head.cy = height;
    std::vector<WORD> out(sizeof head / sizeof(WORD));
    std::memcpy(out.data(), &head, sizeof head);
    out.push_back(0);  // no menu
    out.push_back(0);  // the system's dialog class
    const std::wstring title = ShownText(caption);
    out.insert(out.end(), title.begin(), title.end());
    out.push_back(0);
    out.push_back(font.points());
    out.insert(out.end(), font.face().begin(), font.face().end());
    out.push_back(0);
    return out;
}

INT_PTR RunModalDialog(const std::vector<WORD>& dialog_template, HWND owner, DLGPROC proc,
                       LPARAM param) {
    ::SetLastError(0);
    const INT_PTR result = ::DialogBoxIndirectParamW(
        LibraryInstance(), reinterpret_cast<const DLGTEMPLATE*>(dialog_template.data()), owner,
        proc, param);
    // Without a display (Wine with no X server, a service's desktop) the
    // window cannot be created and the call fails at once.
    if (result == -1)
        throw Error("ダイアログを表示できる画面がありません (" +
                    platform::win32::SystemErrorText(::GetLastError()) + ")");
    return result;
}

HWND AddControl(HWND dialog, const ControlSpec& spec, HFONT font) {
    RECT r{spec.x, spec.y, spec.x + spec.width, spec.y + spec.height};
    ::MapDialogRect(dialog, &r);
    return CreateControl(dialog, spec.window_class, spec.text, spec.style | WS_VISIBLE, r, spec.id,
                         font);
}

HWND CreateControl(HWND parent, const wchar_t* window_class, std::string_view cp932, DWORD style,
                   const RECT& area, int id, HFONT font) {
    HWND control = ::CreateWindowExW(
        0, window_class, ShownText(cp932).c_str(), style | WS_CHILD, area.left, area.top,
        area.right - area.left, area.bottom - area.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), LibraryInstance(), nullptr);
    if (!control)
        throw Error("コントロールを作れません: " +
                    platform::win32::SystemErrorText(::GetLastError()));
    ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Children are linked on top by some systems: the tab order is the order
    // of creation only when each new control goes to the bottom.
    ::SetWindowPos(control, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return control;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string Accelerated(std::string_view caption, char letter) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (!caption.empty() && upper(caption.front()) == upper(letter))
        return "&" + std::string(caption);
    return std::string(caption) + "(&" + letter + ")";
}

std::wstring ShownText(std::string_view cp932) {
    if (auto wide = platform::win32::TryCp932ToWide(cp932)) return *std::move(wide);
    const int n = static_cast<int>(cp932.size());
    const int size = ::MultiByteToWideChar(932, 0, cp932.data(), n, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0) ::MultiByteToWideChar(932, 0, cp932.data(), n, out.data(), size);
    return out;
}

std::optional<std::string> Cp932Text(HWND control) {
    return platform::win32::TryWideToCp932(WindowText(control));
}

std::string NoCp932FormMessage(HWND control) {
    const std::wstring text = WindowText(control);
    std::string code = "?";  // every character alone has a form: a lone surrogate
    for (std::size_t i = 0; i < text.size();) {
        const bool pair =
            IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1]);
        const std::size_t n = pair ? 2 : 1;
        if (!platform::win32::TryWideToCp932(std::wstring_view(text).substr(i, n))) {
            const unsigned value =
                pair ? 0x10000u + ((text[i] - 0xD800u) << 10) + (text[i + 1] - 0xDC00u) : text[i];
            char buffer[16];
            std::snprintf(buffer, sizeof buffer, "U+%04X", value);
            code = buffer;
            break;
        }
        i += n;
    }
    return "Shift_JIS で表せない文字 (" + code + ") は使えません";
}

void SetCp932Text(HWND control, std::string_view cp932) {
    ::SetWindowTextW(control, ShownText(cp932).c_str());
}

void CentreOn(HWND dialog, HWND owner) {
    RECT area{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT around = area;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) ::GetWindowRect(owner, &around);
    RECT box{};
    ::GetWindowRect(dialog, &box);
    const LONG w = box.right - box.left;
    const LONG h = box.bottom - box.top;
    LONG x = around.left + (around.right - around.left - w) / 2;
    LONG y = around.top + (around.bottom - around.top - h) / 2;
    x = std::max(area.left, std::min(x, area.right - w));
    y = std::max(area.top, std::min(y, area.bottom - h));
    ::SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HINSTANCE LibraryInstance() {
    HMODULE module = nullptr;
    ::GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&LibraryInstance), &module);
    return module;
}

}  // namespace drwa::dialogs::win32
