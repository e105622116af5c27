// The plugin's settings page on Windows: what the page does with its dialog
// messages, and what its editors' controls do beyond their classes (the
// number editor's filter, the focus shown on a value label, the radio group's
// frame). No exception passes through the system's loop.
//
// Keys the dialog manager would take for itself (Enter presses the default
// button, Escape cancels) are claimed through WM_GETDLGCODE by the controls
// that use them: a value label for Enter, an open text box for both.
#include "dialogs/win32/property_page_impl.h"

// after windows.h, which it needs
#include <imm.h>

#include <algorithm>

#include "dialogs/win32/window_services.h"

namespace drwa::dialogs::win32 {

void PropertyPageWindow::Impl::Command(HWND control, int code) {
    Editor* e = EditorOf(control);
    if (!e) return;
    switch (RoleOf(*e, control)) {
        case Role::kMain:
            if (code == STN_CLICKED && IsTextEditor(*e))
                Open(*e);
            else if (code == STN_CLICKED && IsChooser(*e))
                Choose(*e);
            else if (code == BN_CLICKED && e->model->kind == EditorKind::kCheckBox)
                e->model->Value.assign(
                    1, ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? '1' : '0');
            break;
        case Role::kPicture:
            if (code == BN_CLICKED) Choose(*e);
            break;
        case Role::kRadio:
            if (code == BN_CLICKED && ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED)
                e->model->selected = static_cast<int>(
                    std::find(e->radios.begin(), e->radios.end(), control) - e->radios.begin());
            break;
        case Role::kEdit:
            break;
    }
}

HBRUSH PropertyPageWindow::Impl::Background() const {
    return editors.empty() ? ::GetSysColorBrush(COLOR_BTNFACE)
                           : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
}

INT_PTR PropertyPageWindow::Impl::Handle(UINT message, WPARAM w, LPARAM l) {
    switch (message) {
        case WM_COMMAND:
            Command(reinterpret_cast<HWND>(l), HIWORD(w));
            return TRUE;
        case WM_VSCROLL:
            VerticalScroll(LOWORD(w));
            return TRUE;
        case WM_MOUSEWHEEL:
            Wheel(GET_WHEEL_DELTA_WPARAM(w));
            return TRUE;
        case WM_SIZE:
            Layout();
            return TRUE;
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(Background());
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (editors.empty()) return FALSE;
            ::SetBkColor(reinterpret_cast<HDC>(w), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(Background());
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(l));
            return TRUE;
        case kReportRefusal:
            ReportRefusal(static_cast<std::size_t>(w));
            return TRUE;
        default:
            return FALSE;
    }
}

// What the editors' controls do beyond their class.
LRESULT PropertyPageWindow::Impl::Control(HWND control, UINT message, WPARAM w, LPARAM l) {
    Editor* e = EditorOf(control);
    if (!e) return ::DefSubclassProc(control, message, w, l);
    const Role role = RoleOf(*e, control);
    switch (message) {
        case WM_GETDLGCODE: {
            LRESULT code = ::DefSubclassProc(control, message, w, l);
            const auto* key = reinterpret_cast<const MSG*>(l);
            if (key && key->message == WM_KEYDOWN &&
                ((role == Role::kEdit && (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE)) ||
                 (role == Role::kMain && IsTextEditor(*e) && key->wParam == VK_RETURN)))
                code |= DLGC_WANTALLKEYS;
            return code;
        }
        case WM_KEYDOWN:
            if (role == Role::kEdit && w == VK_RETURN) {
                Commit(*e, true);
                return 0;
            }
            if (role == Role::kEdit && w == VK_ESCAPE) {
                Close(*e, true);
                return 0;
            }
            if (role == Role::kMain && w == VK_F2) {
                if (IsTextEditor(*e)) Open(*e);
                if (IsChooser(*e)) Choose(*e);
                if (e->model->kind == EditorKind::kCheckBox) Toggle(*e);
                return 0;
            }
            if (role == Role::kMain && w == VK_RETURN && IsTextEditor(*e)) {
                Open(*e);
                return 0;
            }
            break;
        case WM_IME_COMPOSITION:
            // Composed text goes in as WM_IME_CHAR, one character at a time
            // through the number editor's filter, not straight into the box.
            if (role == Role::kEdit && e->model->kind == EditorKind::kNumber && (l & GCS_RESULTSTR))
                return ::DefWindowProcW(control, message, w, l);
            break;
        case WM_CHAR:
        case WM_IME_CHAR:
            if (role == Role::kEdit) {
                if (w == L'\r' || w == 0x1B) return 0;  // handled as keys
                if (e->model->kind == EditorKind::kNumber && w >= 0x20 && w != 0x7F &&
                    (w >= 0x80 || !IsNumberEditorKey(static_cast<char>(w))))
                    return 0;
            }
            break;
        case WM_KILLFOCUS:
            if (role == Role::kEdit) {
                const LRESULT r = ::DefSubclassProc(control, message, w, l);
                Leave(*e, reinterpret_cast<HWND>(w));
                return r;
            }
            if (role == Role::kMain) ::InvalidateRect(control, nullptr, TRUE);
            break;
        case WM_SETFOCUS: {
            const LRESULT r = ::DefSubclassProc(control, message, w, l);
            ScrollIntoView(control);
            if (role == Role::kMain) ::InvalidateRect(control, nullptr, TRUE);
            return r;
        }
        case WM_ERASEBKGND:
            if (e->model->kind == EditorKind::kRadioGroup && role == Role::kMain) return 1;
            break;
        case WM_PAINT: {
            // The radio group's box: a frame on the page's colour (the
            // button class would fill it with the button face).
            if (e->model->kind == EditorKind::kRadioGroup && role == Role::kMain) {
                PAINTSTRUCT paint{};
                HDC dc = ::BeginPaint(control, &paint);
                RECT box{};
                ::GetClientRect(control, &box);
                ::FillRect(dc, &box, Background());
                ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);
                ::EndPaint(control, &paint);
                return 0;
            }
            // A value label with the focus shows it, as a button does.
            const LRESULT r = ::DefSubclassProc(control, message, w, l);
            if (role == Role::kMain && ::GetFocus() == control &&
                e->model->kind != EditorKind::kCheckBox)
                if (HDC dc = ::GetDC(control)) {
                    RECT box{};
                    ::GetClientRect(control, &box);
                    ::DrawFocusRect(dc, &box);
                    ::ReleaseDC(control, dc);
                }
            return r;
        }
        default:
            break;
    }
    return ::DefSubclassProc(control, message, w, l);
}

void PropertyPageWindow::Impl::Report(const std::exception& failure) {
    try {
        services.ShowError(failure.what());
    } catch (...) {
    }
}

INT_PTR CALLBACK PropertyPageWindow::Impl::PageProc(HWND page, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrW(page, DWLP_USER, l);
        return FALSE;
    }
    auto* self = reinterpret_cast<Impl*>(::GetWindowLongPtrW(page, DWLP_USER));
    if (!self) return FALSE;
    if (message == WM_NCDESTROY) {
        // Gone with the dialog, with its controls and (owned by the
        // dialog) the hints: a later Create starts afresh.
        self->page = nullptr;
        self->tips = nullptr;
        self->editors.clear();
        self->radio_owners.clear();
        return FALSE;
    }
    // No exception may pass through the system's message loop.
    try {
        return self->Handle(message, w, l);
    } catch (const std::exception& failure) {
        self->Report(failure);
        return TRUE;
    }
}

LRESULT CALLBACK PropertyPageWindow::Impl::ControlProc(HWND control, UINT message, WPARAM w,
                                                       LPARAM l, UINT_PTR, DWORD_PTR data) {
    if (message == WM_NCDESTROY) {
        ::RemoveWindowSubclass(control, &ControlProc, kSubclassId);
        return ::DefSubclassProc(control, message, w, l);
    }
    auto* self = reinterpret_cast<Impl*>(data);
    try {
        return self->Control(control, message, w, l);
    } catch (const std::exception& failure) {
        self->Report(failure);
        return 0;
    }
}

}  // namespace drwa::dialogs::win32
