// The dialogs' services on Windows. The choosers hand back names as CP932 like
// every path in the library; a name CP932 cannot hold is refused here, since
// a best-fit guess would name another file.
#include "dialogs/win32/window_services.h"

#include <algorithm>
#include <cwchar>

// after windows.h, which they need
#include <commdlg.h>
#include <shlobj.h>

#include "common/error.h"
#include "dialogs/win32/win32_controls.h"
#include "platform/open_handler.h"
#include "platform/win32/wide_text.h"

namespace drwa::dialogs::win32 {
namespace {

// "アプリケーション|*.exe|..." as the chooser wants it: pairs separated and
// ended by NUL, the list by a second NUL.
std::wstring FilterList(std::string_view filter) {
    std::wstring list = ShownText(filter);
    std::replace(list.begin(), list.end(), L'|', L'\0');
    list.append(2, L'\0');
    return list;
}

struct ComApartment {
    ComApartment() : ok(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (ok) ::CoUninitialize();
    }
    bool ok;
};

}  // namespace

WindowDialogServices::WindowDialogServices(HWND owner) {
    SetOwner(owner);
}

void WindowDialogServices::SetOwner(HWND owner) {
    owner_ = owner;
    boxes_ = platform::WindowQuestions(owner);
}

platform::Answer WindowDialogServices::AskOkCancel(std::string_view text) {
    return boxes_->AskOkCancel(text);
}
bool WindowDialogServices::AskYesNo(std::string_view text) {
    return boxes_->AskYesNo(text);
}
void WindowDialogServices::ShowError(std::string_view text) {
    boxes_->ShowError(text);
}
void WindowDialogServices::ShowInformation(std::string_view text) {
    boxes_->ShowInformation(text);
}

bool WindowDialogServices::OpenWithDefaultHandler(std::string_view path) {
    return platform::OpenWithDefaultHandler(path);
}

std::vector<std::string> WindowDialogServices::ChooseFilesToOpen(std::string_view title,
                                                                 std::string_view filter) {
    return OpenFiles(title, filter, "", true);
}

std::optional<std::string> WindowDialogServices::ChooseFileToOpen(std::string_view filter,
                                                                  std::string_view current) {
    auto files = OpenFiles("", filter, current, false);
    if (files.empty()) return std::nullopt;
    return std::move(files.front());
}

std::vector<std::string> WindowDialogServices::OpenFiles(std::string_view title,
                                                         std::string_view filter,
                                                         std::string_view current, bool many) {
    const std::wstring filters = FilterList(filter);
    const std::wstring caption = ShownText(title);
    // Room for many long names when several may be chosen.
    std::wstring buffer(many ? 32768 : MAX_PATH * 4, L'\0');
    const std::wstring start = ShownText(current);
    std::copy_n(start.begin(), std::min(start.size(), buffer.size() - 1), buffer.begin());
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.lpstrFilter = filters.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.lpstrTitle = caption.empty() ? nullptr : caption.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY |
                   OFN_NOCHANGEDIR | (many ? OFN_ALLOWMULTISELECT : 0);
    if (!::GetOpenFileNameW(&dialog)) return {};
    // One file: its full path. Several: the folder, then each name, each
    // ended by NUL, the list by a second NUL.
    std::vector<std::wstring> wide;
    const wchar_t* p = buffer.c_str();
    const std::wstring first = p;
    p += first.size() + 1;
    if (!many || *p == L'\0') {
        wide.push_back(first);
    } else {
        for (; *p; p += std::wcslen(p) + 1) {
            std::wstring path = first;
            if (!path.empty() && path.back() != L'\\') path += L'\\';
            wide.push_back(path + p);
        }
    }
    std::vector<std::string> out;
    for (const auto& w : wide) {
        auto name = Cp932Name(w);
        if (!name) return {};
        out.push_back(*std::move(name));
    }
    return out;
}

std::optional<COLORREF> WindowDialogServices::ChooseColour(COLORREF initial) {
    CHOOSECOLORW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner_;
    dialog.rgbResult = initial;
    dialog.lpCustColors = custom_colours_.data();
    dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    if (!::ChooseColorW(&dialog)) return std::nullopt;
    return dialog.rgbResult;
}

std::optional<std::string> WindowDialogServices::ChooseFolder(std::string_view title) {
    const ComApartment com;
    const std::wstring caption = ShownText(title);
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;  // the desktop
    info.pszDisplayName = display;
    info.lpszTitle = caption.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&info);
    if (!chosen) return std::nullopt;
    std::wstring path(32768, L'\0');
    const bool ok = ::SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                            GPFIDL_DEFAULT);
    ::CoTaskMemFree(chosen);
    if (!ok) return std::nullopt;
    path.resize(std::wcslen(path.c_str()));
    return Cp932Name(path);
}

std::optional<std::string> WindowDialogServices::Cp932Name(std::wstring_view wide) {
    if (auto name = platform::win32::TryWideToCp932(wide)) return name;
    ShowError("Shift_JIS で表せない文字を含む名前は使えません\n" +
              platform::win32::ShowableName(wide));
    return std::nullopt;
}

bool TakeTypedText(HWND edit, std::string& field, WindowDialogServices& services) {
    if (auto text = Cp932Text(edit)) {
        field = *std::move(text);
        return true;
    }
    const std::string message = NoCp932FormMessage(edit);
    SetCp932Text(edit, field);
    services.ShowError(message);
    return false;
}

}  // namespace drwa::dialogs::win32
