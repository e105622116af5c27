// The plugin's settings page on Windows: the editor cycle. A text or number
// editor's value label opens a text box over itself; the box's text is judged
// as it is committed (Enter, OK, or the focus leaving for another control of
// the dialog) and stored in the model, or refused with the box kept open. The
// choosers store what the user picks; the check box and radio buttons store
// each change.
#include "dialogs/win32/property_page_impl.h"

#include <algorithm>

#include "dialogs/win32/win32_controls.h"
#include "dialogs/win32/window_services.h"

namespace drwa::dialogs::win32 {

namespace {

constexpr int kSwatchSize = 12;

bool HasText(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

}  // namespace

// Found by the control's ID (every message of every control asks).
PropertyPageWindow::Impl::Editor* PropertyPageWindow::Impl::EditorOf(HWND control) {
    const int id = ::GetDlgCtrlID(control);
    std::size_t index = editors.size();
    if (id >= kFirstRadioId && static_cast<std::size_t>(id - kFirstRadioId) < radio_owners.size())
        index = radio_owners[static_cast<std::size_t>(id - kFirstRadioId)];
    else if (id >= kFirstEditorId && id < kFirstRadioId)
        index = static_cast<std::size_t>(id - kFirstEditorId) / 4;
    if (index >= editors.size()) return nullptr;
    Editor& e = editors[index];
    const bool mine = control == e.main || control == e.edit || control == e.picture ||
                      std::find(e.radios.begin(), e.radios.end(), control) != e.radios.end();
    return mine ? &e : nullptr;
}

PropertyPageWindow::Impl::Role PropertyPageWindow::Impl::RoleOf(const Editor& e, HWND control) {
    if (control == e.edit) return Role::kEdit;
    if (control == e.picture) return Role::kPicture;
    if (control == e.main) return Role::kMain;
    return Role::kRadio;
}

bool PropertyPageWindow::Impl::IsTextEditor(const Editor& e) {
    return e.model->kind == EditorKind::kText || e.model->kind == EditorKind::kNumber;
}

bool PropertyPageWindow::Impl::IsChooser(const Editor& e) {
    return e.model->kind == EditorKind::kFile || e.model->kind == EditorKind::kColour;
}

void PropertyPageWindow::Impl::ShowLabel(Editor& e) {
    SetCp932Text(e.main, e.model->LabelText());
    MeasureLabel(e);
    Place();
}

void PropertyPageWindow::Impl::Open(Editor& e) {
    if (e.editing) return;
    e.editing = true;
    e.refusal_pending = false;
    e.shown = ShownText(e.model->Value);
    ::SetWindowTextW(e.edit, e.shown.c_str());
    ::ShowWindow(e.edit, SW_SHOW);
    ::SetFocus(e.edit);
    ::ShowWindow(e.main, SW_HIDE);
    ::SendMessageW(e.edit, EM_SETSEL, 0, -1);
}

PropertyPageWindow::Impl::Verdict PropertyPageWindow::Impl::Judge(const Editor& e) const {
    Verdict v{e.model->Value, std::nullopt};
    // Untouched text keeps its bytes, even those that did not read as CP932.
    if (WindowText(e.edit) != e.shown) {
        auto text = Cp932Text(e.edit);
        if (!text) {
            v.refusal = NoCp932FormMessage(e.edit);
            return v;
        }
        v.value = *std::move(text);
    }
    if (e.model->kind == EditorKind::kNumber && HasText(v.value) && !ReadsAsDecimalNumber(v.value))
        v.refusal = NotANumberMessage(v.value);
    return v;
}

bool PropertyPageWindow::Impl::Commit(Editor& e, bool from_keyboard) {
    if (!e.editing) return true;
    Verdict v = Judge(e);
    if (v.refusal) {
        Refuse(e, *v.refusal);
        return false;
    }
    e.model->Value = std::move(v.value);
    Close(e, from_keyboard);
    return true;
}

// Shows the label again; the value is what it was before opening unless
// Commit stored a new one.
void PropertyPageWindow::Impl::Close(Editor& e, bool focus_label) {
    e.editing = false;
    e.refusal_pending = false;
    ShowLabel(e);
    ::ShowWindow(e.main, SW_SHOW);
    if (focus_label) ::SetFocus(e.main);
    ::ShowWindow(e.edit, SW_HIDE);
}

// The box stays open with its whole text selected, for the user to correct.
void PropertyPageWindow::Impl::Refuse(Editor& e, const std::string& message) {
    e.refusal_pending = false;
    refusing = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{refusing};
    services.ShowError(message);
    ::SetFocus(e.edit);
    ::SendMessageW(e.edit, EM_SETSEL, 0, -1);
}

// The focus left an open box for `next`. Another window of the dialog
// commits it; another application or a box of our own taking the focus
// is no leaving.
void PropertyPageWindow::Impl::Leave(Editor& e, HWND next) {
    if (!e.editing || refusing || !next) return;
    HWND root = ::GetAncestor(page, GA_ROOT);
    if (next != root && !::IsChild(root, next)) return;
    Verdict v = Judge(e);
    if (v.refusal) {
        e.refusal_pending = true;
        ::PostMessageW(page, kReportRefusal, static_cast<WPARAM>(&e - editors.data()), 0);
        return;
    }
    e.model->Value = std::move(v.value);
    Close(e, false);
}

void PropertyPageWindow::Impl::ReportRefusal(std::size_t index) {
    if (index >= editors.size()) return;
    Editor& e = editors[index];
    if (e.editing && e.refusal_pending) Commit(e, false);
}

bool PropertyPageWindow::Impl::CommitOpenEditor() {
    for (Editor& e : editors)
        if (e.editing && !Commit(e, false)) return false;
    return true;
}

void PropertyPageWindow::Impl::Toggle(Editor& e) {
    const bool on = ::SendMessageW(e.main, BM_GETCHECK, 0, 0) != BST_CHECKED;
    ::SendMessageW(e.main, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
    e.model->Value.assign(1, on ? '1' : '0');
}

void PropertyPageWindow::Impl::Choose(Editor& e) {
    if (e.model->kind == EditorKind::kFile)
        ChooseFile(e);
    else
        ChooseColour(e);
    ::SetFocus(e.main);
}

void PropertyPageWindow::Impl::ChooseFile(Editor& e) {
    std::string filter;
    if (auto f = FileFilterOf(e.model->Caption)) filter = f->description + "|" + f->pattern;
    // A name without a CP932 form is refused there, with a message.
    if (auto chosen = services.ChooseFileToOpen(filter, e.model->Value)) {
        e.model->Value = *std::move(chosen);
        ShowLabel(e);
    }
}

void PropertyPageWindow::Impl::ChooseColour(Editor& e) {
    const auto bgr = ParseColourValue(e.model->Value);
    // A Windows colour value is what the system's colours are.
    const auto chosen = services.ChooseColour(bgr ? (*bgr & 0xFFFFFF) : RGB(255, 255, 255));
    if (!chosen) return;
    e.model->Value = ColourValueText(*chosen);
    ShowLabel(e);
    ::InvalidateRect(e.picture, nullptr, TRUE);
}

void PropertyPageWindow::Impl::DrawPicture(const DRAWITEMSTRUCT& item) {
    Editor* e = EditorOf(item.hwndItem);
    RECT r = item.rcItem;
    ::DrawFrameControl(
        item.hDC, &r, DFC_BUTTON,
        DFCS_BUTTONPUSH | DFCS_FLAT | ((item.itemState & ODS_SELECTED) ? DFCS_PUSHED : 0));
    const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    if (!e) return;
    if (e->model->kind == EditorKind::kFile) {
        if (folder_icon) {
            ::DrawIconEx(item.hDC, cx - 8, cy - 8, folder_icon.get(), 16, 16, 0, nullptr,
                         DI_NORMAL);
        } else {
            ::SetBkMode(item.hDC, TRANSPARENT);
            ::DrawTextW(item.hDC, L"...", 3, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
    } else if (auto bgr = ParseColourValue(e->model->Value)) {
        RECT swatch{cx - kSwatchSize / 2, cy - kSwatchSize / 2, cx + kSwatchSize / 2,
                    cy + kSwatchSize / 2};
        HBRUSH fill = ::CreateSolidBrush(*bgr & 0xFFFFFF);
        ::FillRect(item.hDC, &swatch, fill);
        ::DeleteObject(fill);
        ::FrameRect(item.hDC, &swatch, ::GetSysColorBrush(COLOR_BTNSHADOW));
    }
}

}  // namespace drwa::dialogs::win32
