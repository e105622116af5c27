#include "dialogs/win32/paged_dialog.h"

// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>

namespace drwa::dialogs::win32 {
namespace {

// Ending the dialog because a handler failed: the failure is thrown again
// once the system's modal loop has returned.
constexpr INT_PTR kFailed = -2;

}  // namespace

bool PagedDialog::RunModal(std::string_view caption, short width, short height, HWND owner) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&classes);
    const INT_PTR result = RunModalDialog(EmptyDialogTemplate(caption, width, height, font_), owner,
                                          &Proc, reinterpret_cast<LPARAM>(this));
    services_.SetOwner(owner);
    if (failure_) std::rethrow_exception(failure_);
    return result == IDOK;
}

INT_PTR CALLBACK PagedDialog::Proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(dialog, DWLP_USER, l);
        reinterpret_cast<PagedDialog*>(l)->dialog_ = dialog;
    }
    auto* view = reinterpret_cast<PagedDialog*>(::GetWindowLongPtrW(dialog, DWLP_USER));
    if (!view) return FALSE;
    // No exception may pass through the system's modal loop.
    try {
        return view->Handle(message, w, l);
    } catch (...) {
        view->failure_ = std::current_exception();
        ::EndDialog(dialog, kFailed);
        return TRUE;
    }
}

INT_PTR PagedDialog::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_INITDIALOG:
            services_.SetOwner(dialog_);
            return Initialise();
        case WM_COMMAND:
            if (!refreshing_) Command(LOWORD(w), HIWORD(w));
            return TRUE;
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(l);
            if (header->code != TCN_SELCHANGE) return Other(message, w, l);
            const int page =
                static_cast<int>(::SendMessageW(header->hwndFrom, TCM_GETCURSEL, 0, 0));
            PageChosen(static_cast<int>(header->idFrom), page);
            return TRUE;
        }
        case WM_CTLCOLORSTATIC:
            return ControlColours(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
        case WM_ERASEBKGND:
            if (!EraseBackground(reinterpret_cast<HDC>(w))) return FALSE;
            ::SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default:
            return Other(message, w, l);
    }
}

INT_PTR PagedDialog::Other(UINT, WPARAM, LPARAM) {
    return FALSE;
}

// Labels, radio buttons and check boxes on a page take the colour of the tab
// strip's body. Edits keep the system's colours (grey when read-only or
// disabled).
INT_PTR PagedDialog::ControlColours(HDC dc, HWND control) {
    wchar_t kind[16] = {};
    ::GetClassNameW(control, kind, 16);
    const auto it = std::find_if(pages_.begin(), pages_.end(),
                                 [&](const auto& entry) { return entry.first == control; });
    const bool on_page = it != pages_.end() && it->second != kEveryPage;
    if (!on_page || !page_brush_ || ::lstrcmpiW(kind, WC_EDITW) == 0) return FALSE;
    if (RedText(::GetDlgCtrlID(control))) ::SetTextColor(dc, RGB(255, 0, 0));
    ::SetBkColor(dc, page_colour_);
    return reinterpret_cast<INT_PTR>(page_brush_.get());
}

// A themed group box or radio button paints the dialog's background behind
// itself: where a tab strip's body lies, that is the body's colour, so the
// controls on a page do not stand on patches of the dialog's face.
bool PagedDialog::EraseBackground(HDC dc) {
    if (!page_brush_) return false;
    RECT client{};
    ::GetClientRect(dialog_, &client);
    ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
    for (HWND tabs : tab_strips_) {
        if (!::IsWindowVisible(tabs)) continue;
        RECT body{};
        ::GetClientRect(tabs, &body);
        ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&body));
        ::MapWindowPoints(tabs, dialog_, reinterpret_cast<POINT*>(&body), 2);
        ::FillRect(dc, &body, page_brush_.get());
    }
    return true;
}

void PagedDialog::TakePageColour(HWND tabs) {
    RECT r{};
    ::GetClientRect(tabs, &r);
    RECT body = r;
    ::SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&body));
    page_colour_ = ::GetSysColor(COLOR_BTNFACE);
    if (HDC screen = ::GetDC(tabs)) {
        HDC memory = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, r.right, r.bottom);
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ::FillRect(memory, &r, ::GetSysColorBrush(COLOR_BTNFACE));
        ::SendMessageW(tabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
                       PRF_CLIENT | PRF_ERASEBKGND);
        const COLORREF sampled = ::GetPixel(memory, body.right - 2, body.bottom - 2);
        if (sampled != CLR_INVALID) page_colour_ = sampled;
        ::SelectObject(memory, old);
        ::DeleteObject(bitmap);
        ::DeleteDC(memory);
        ::ReleaseDC(tabs, screen);
    }
    page_brush_.reset(::CreateSolidBrush(page_colour_));
}

HWND PagedDialog::Add(int page, const ControlSpec& spec) {
    HWND control = AddControl(dialog_, spec, font_.get());
    pages_.emplace_back(control, page);
    return control;
}

void PagedDialog::AddNumber(int page, int id, short x, short y, int low, int high, int step,
                            int digits) {
    HWND edit =
        Add(page, {WC_EDITW, "", WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL | ES_NUMBER, x,
                   y, 36, 12, id});
    ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(digits), 0);
    HWND arrows = Add(page, {UPDOWN_CLASSW, "",
                             UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0,
                             0, 0, 0, id + 1});
    ::SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    SetNumberRange(id, low, high);
    UDACCEL accel{0, static_cast<UINT>(step)};
    ::SendMessageW(arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
}

void PagedDialog::SetNumberRange(int id, int low, int high) {
    ::SendMessageW(Item(id + 1), UDM_SETRANGE32, static_cast<WPARAM>(low), high);
}

HWND PagedDialog::AddTabs(int id, short x, short y, short width, short height,
                          std::span<const std::string_view> names) {
    HWND tabs = Add(kEveryPage, {WC_TABCONTROLW, "", WS_GROUP | WS_TABSTOP | WS_CLIPSIBLINGS, x, y,
                                 width, height, id});
    tab_strips_.push_back(tabs);
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::wstring text = ShownText(names[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    return tabs;
}

void PagedDialog::ShowPages(const std::function<bool(HWND, int)>& shown, HWND fallback) {
    HWND focus = ::GetFocus();
    for (const auto& [control, page] : pages_) {
        const bool show = shown(control, page);
        // The style, not IsWindowVisible: the dialog itself may not be shown yet.
        const bool visible = (::GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (show != visible) ::ShowWindow(control, show ? SW_SHOWNA : SW_HIDE);
    }
    if (focus && !::IsWindowVisible(focus)) ::SetFocus(fallback);
}

void PagedDialog::SelectTab(int tab_control_id, int page) {
    ::SendMessageW(Item(tab_control_id), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
}

void PagedDialog::CheckItem(int first, int count, int item) {
    for (int i = 0; i < count; ++i)
        ::CheckDlgButton(dialog_, first + i, i == item ? BST_CHECKED : BST_UNCHECKED);
}

}  // namespace drwa::dialogs::win32
