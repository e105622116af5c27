// The plugin's settings page on Windows: a child dialog made from an empty
// in-memory template with DS_CONTROL, its editors created in code.
//
// A child dialog rather than a window class of our own: its class is the
// system's, so nothing is registered by the DLL (a class a DLL registers
// outlives the DLL and points into freed code after a reload); DS_CONTROL
// makes it a control parent, so the group dialog's dialog manager tabs into
// the editors and sees their keys; and WM_CTLCOLORDLG gives it its colour.
#include "dialogs/win32/property_page_window.h"

// after windows.h, which they need
#include <commctrl.h>
#include <shellapi.h>

#include <cstring>
#include <vector>

#include "common/error.h"
#include "dialogs/win32/property_page_impl.h"
#include "dialogs/win32/win32_controls.h"
#include "platform/win32/wide_text.h"

namespace drwa::dialogs::win32 {
namespace {

// A child dialog with no controls, no caption and no font of its own (its
// controls get the group dialog's font); sized and placed after creation.
std::vector<WORD> PageTemplate() {
    DLGTEMPLATE head{};
    head.style = WS_CHILD | DS_CONTROL | WS_VSCROLL | WS_CLIPCHILDREN;
    head.dwExtendedStyle = WS_EX_CONTROLPARENT;
    std::vector<WORD> out(sizeof head / sizeof(WORD));
    std::memcpy(out.data(), &head, sizeof head);
    out.insert(out.end(), {0, 0, 0});  // no menu, the dialog class, no caption
    return out;
}

}  // namespace

PropertyPageWindow::Impl::~Impl() {
    if (page) {
        ::SetWindowLongPtrW(page, DWLP_USER, 0);
        for (Editor& e : editors) Forget(e);
        if (tips) ::DestroyWindow(tips);
        ::DestroyWindow(page);
    }
}

void PropertyPageWindow::Impl::Create(HWND dialog, const RECT& area, int id, HFONT dialog_font) {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&classes);
    font = dialog_font;
    LOGFONTW face{};
    if (font && ::GetObjectW(font, sizeof face, &face)) {
        face.lfWeight = FW_BOLD;
        bold.reset(::CreateFontIndirectW(&face));
    }
    const std::vector<WORD> form = PageTemplate();
    page = ::CreateDialogIndirectParamW(LibraryInstance(),
                                        reinterpret_cast<const DLGTEMPLATE*>(form.data()), dialog,
                                        &PageProc, reinterpret_cast<LPARAM>(this));
    if (!page)
        throw Error("コントロールを作れません: " +
                    platform::win32::SystemErrorText(::GetLastError()));
    ::SetWindowLongPtrW(page, GWLP_ID, id);
    // Below the dialog's controls made before it, like every control, so
    // that the tab order is the order of creation.
    ::SetWindowPos(page, HWND_BOTTOM, area.left, area.top, area.right - area.left,
                   area.bottom - area.top, SWP_NOACTIVATE);
    tips =
        ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr, LibraryInstance(), nullptr);
    if (tips) ::SendMessageW(tips, TTM_SETMAXTIPWIDTH, 0, 480);
    SHSTOCKICONINFO stock{};
    stock.cbSize = sizeof stock;
    HICON open_folder = nullptr;
    if (SUCCEEDED(::SHGetStockIconInfo(SIID_FOLDEROPEN, SHGSI_ICON | SHGSI_SMALLICON, &stock)))
        open_folder = stock.hIcon;
    // Wine answers without an icon: the shell's own open folder (resource 5) then.
    if (!open_folder) ::ExtractIconExW(L"shell32.dll", -5, nullptr, &open_folder, 1);
    folder_icon.reset(open_folder);
    Layout();
}

HWND PropertyPageWindow::Impl::Make(const wchar_t* kind, std::string_view text, DWORD style, int id,
                                    HFONT f) {
    HWND control = CreateControl(page, kind, text, style, RECT{}, id, f);
    ::SetWindowSubclass(control, &ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
    return control;
}

void PropertyPageWindow::Impl::Clear() {
    for (Editor& e : editors) Forget(e);
    editors.clear();
    radio_owners.clear();
    scroll = 0;
    wheel_rest = 0;
}

void PropertyPageWindow::Impl::Rebuild() {
    // Hidden while the editors come and go, and as visible as before
    // however this ends.
    const bool was_visible = (::GetWindowLongPtrW(page, GWL_STYLE) & WS_VISIBLE) != 0;
    ::ShowWindow(page, SW_HIDE);
    struct ShowAgain {
        HWND page;
        bool visible;
        ~ShowAgain() {
            if (visible) ::ShowWindow(page, SW_SHOWNA);
        }
    } show_again{page, was_visible};
    Clear();
    int radio_id = kFirstRadioId;
    int top = 0;
    auto& items = model.Editors();
    editors.reserve(items.size());
    for (std::size_t i = 0; i < items.size(); ++i) {
        Editor& e = editors.emplace_back();
        e.model = &items[i];
        e.top = top;
        MakeControls(e, kFirstEditorId + 4 * static_cast<int>(i), radio_id);
        top += e.height;
    }
    Layout();
    ::InvalidateRect(page, nullptr, TRUE);
}

void PropertyPageWindow::Impl::MakeControls(Editor& e, int base, int& radio_id) {
    constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE | WS_GROUP;
    const PropertyEditor& m = *e.model;
    switch (m.kind) {
        case EditorKind::kHeading:
            e.main =
                Make(WC_STATICW, m.Caption, kLabel | WS_VISIBLE, base, bold ? bold.get() : font);
            MeasureLabel(e);
            break;
        case EditorKind::kCheckBox:
            e.main = Make(WC_BUTTONW, m.Caption,
                          BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP | WS_VISIBLE, base, font);
            ::SendMessageW(e.main, BM_SETCHECK, m.Ticked() ? BST_CHECKED : BST_UNCHECKED, 0);
            HintLongCaption(e.main, m.Caption);
            break;
        case EditorKind::kRadioGroup:
            // One tab stop in the group, on the checked button (the first
            // without one); the buttons move it as the user picks.
            for (std::size_t k = 0; k < m.choices.size(); ++k) {
                const bool stop = m.selected >= 0 && m.selected < static_cast<int>(m.choices.size())
                                      ? m.selected == static_cast<int>(k)
                                      : k == 0;
                const DWORD first = (k == 0 ? WS_GROUP : 0) | (stop ? WS_TABSTOP : 0);
                HWND button = Make(WC_BUTTONW, m.choices[k].caption,
                                   BS_AUTORADIOBUTTON | first | WS_VISIBLE, radio_id++, font);
                if (m.selected == static_cast<int>(k))
                    ::SendMessageW(button, BM_SETCHECK, BST_CHECKED, 0);
                HintLongCaption(button, m.choices[k].caption);
                e.radios.push_back(button);
                radio_owners.push_back(editors.size() - 1);
            }
            // The box under its buttons (made after them, clipped by them),
            // and ending their group for the dialog manager.
            e.main = Make(WC_BUTTONW, "", BS_GROUPBOX | WS_GROUP | WS_CLIPSIBLINGS | WS_VISIBLE,
                          base, font);
            e.height = RadioGroupHeight(static_cast<int>(e.radios.size()));
            break;
        case EditorKind::kText:
        case EditorKind::kNumber:
            e.main = Make(WC_STATICW, m.LabelText(), kLabel | WS_TABSTOP | WS_VISIBLE, base, font);
            e.edit = Make(WC_EDITW, "", WS_BORDER | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                          base + 1, font);
            MeasureLabel(e);
            break;
        case EditorKind::kFile:
        case EditorKind::kColour:
            e.picture = Make(WC_BUTTONW, "", BS_OWNERDRAW | WS_GROUP | WS_VISIBLE, base + 2, font);
            e.main = Make(WC_STATICW, m.LabelText(), kLabel | WS_TABSTOP | WS_VISIBLE, base, font);
            MeasureLabel(e);
            break;
    }
}

// Takes an editor's controls off the page.
void PropertyPageWindow::Impl::Forget(Editor& e) {
    std::vector<HWND> controls = e.radios;
    for (HWND c : {e.main, e.edit, e.picture})
        if (c) controls.push_back(c);
    for (HWND c : controls) {
        RemoveHint(c);
        ::DestroyWindow(c);
    }
}

PropertyPageWindow::PropertyPageWindow(TFramePropertyEdit& model, WindowDialogServices& services)
    : impl_(std::make_unique<Impl>(model, services)) {}

PropertyPageWindow::~PropertyPageWindow() = default;

void PropertyPageWindow::Create(HWND dialog, const RECT& area, int id, HFONT font) {
    impl_->Create(dialog, area, id, font);
}

HWND PropertyPageWindow::window() const {
    return impl_->page;
}

HWND PropertyPageWindow::hints() const {
    return impl_->tips;
}

int PropertyPageWindow::TextBoxWidth() const {
    return impl_->text_box_width;
}

void PropertyPageWindow::Rebuild() {
    impl_->Rebuild();
}

void PropertyPageWindow::Clear() {
    impl_->Clear();
    ::InvalidateRect(impl_->page, nullptr, TRUE);
}

bool PropertyPageWindow::CommitOpenEditor() {
    return impl_->CommitOpenEditor();
}

void PropertyPageWindow::Focus() {
    for (const Impl::Editor& e : impl_->editors) {
        std::vector<HWND> controls{e.main};
        controls.insert(controls.end(), e.radios.begin(), e.radios.end());
        for (HWND c : controls)
            if (c && (::GetWindowLongPtrW(c, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE)) ==
                         (WS_TABSTOP | WS_VISIBLE)) {
                ::SetFocus(c);
                return;
            }
    }
    ::SetFocus(impl_->page);
}

}  // namespace drwa::dialogs::win32
