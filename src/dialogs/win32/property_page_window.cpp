// The plugin's settings page on Windows: a child dialog made from an empty
// in-memory template with DS_CONTROL, its editors created in code.
//
// A child dialog rather than a window class of our own: its class is the
// system's, so nothing is registered by the DLL (a class a DLL registers
// outlives the DLL and points into freed code after a reload); DS_CONTROL
// makes it a control parent, so the group dialog's dialog manager tabs into
// the editors and sees their keys; and WM_CTLCOLORDLG gives it its colour.
//
// Keys the dialog manager would take for itself (Enter presses the default
// button, Escape cancels) are claimed through WM_GETDLGCODE by the controls
// that use them: a value label for Enter, an open text box for both.
#include "dialogs/win32/property_page_window.h"

// after windows.h, which they need
#include <commctrl.h>
#include <imm.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "common/error.h"
#include "dialogs/win32/win32_controls.h"
#include "dialogs/win32/window_services.h"
#include "platform/win32/wide_text.h"

namespace drwa::dialogs::win32 {
namespace {

constexpr int kRowHeight = 21;     // a line of text, a text box, a step of the scroll bar
constexpr int kLabelLeft = 4;      // text from the page's edge
constexpr int kPictureWidth = 22;  // the button of the file and colour choosers
constexpr int kSwatchSize = 12;
// Posted when a text box left for another control holds what its editor
// refuses: the report cannot be shown while the focus is still moving.
constexpr UINT kReportRefusal = WM_APP + 1;
constexpr UINT_PTR kSubclassId = 1;

// What a control of an editor is, from its ID.
enum class Role { kMain, kEdit, kPicture, kRadio };

bool HasText(std::string_view text) {
    return text.find_first_not_of(" \t\r\n") != std::string_view::npos;
}

struct DeleteObject {
    void operator()(HGDIOBJ object) const { ::DeleteObject(object); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteObject>;

struct DestroyIcon {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};

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

struct PropertyPageWindow::Impl {
    // The controls of one editor of the model.
    struct Editor {
        PropertyEditor* model = nullptr;
        int top = 0;  // on the page, unscrolled
        int height = kRowHeight;
        HWND main = nullptr;  // heading, check box, value label or group box
        HWND edit = nullptr;
        HWND picture = nullptr;
        std::vector<HWND> radios;
        int label_width = 0;  // what the label's text needs
        bool editing = false;
        bool refusal_pending = false;
        std::wstring shown;  // the text the box was opened with
        std::wstring hint;   // the label's hover hint; empty: none
    };

    Impl(TFramePropertyEdit& m, WindowDialogServices& s) : model(m), services(s) {}
    ~Impl() {
        if (page) {
            ::SetWindowLongPtrW(page, DWLP_USER, 0);
            for (Editor& e : editors) Forget(e);
            if (tips) ::DestroyWindow(tips);
            ::DestroyWindow(page);
        }
    }

    TFramePropertyEdit& model;
    WindowDialogServices& services;
    HWND page = nullptr;
    HWND tips = nullptr;
    HFONT font = nullptr;
    FontHandle bold;
    std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIcon> folder_icon;
    std::vector<Editor> editors;
    std::vector<std::size_t> radio_owners;  // by radio button: its editor's index
    int scroll = 0;
    int content_height = 0;
    int text_box_width = kPropertyTextBoxWidth;
    int wheel_rest = 0;  // part of a notch from a fine-grained wheel
    bool laying_out = false;
    bool refusing = false;  // a report is up: its focus change is no leaving

    // ---- creation -------------------------------------------------------

    void Create(HWND dialog, const RECT& area, int id, HFONT dialog_font) {
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
                                            reinterpret_cast<const DLGTEMPLATE*>(form.data()),
                                            dialog, &PageProc, reinterpret_cast<LPARAM>(this));
        if (!page)
            throw Error("コントロールを作れません: " +
                        platform::win32::SystemErrorText(::GetLastError()));
        ::SetWindowLongPtrW(page, GWLP_ID, id);
        // Below the dialog's controls made before it, like every control, so
        // that the tab order is the order of creation.
        ::SetWindowPos(page, HWND_BOTTOM, area.left, area.top, area.right - area.left,
                       area.bottom - area.top, SWP_NOACTIVATE);
        tips = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, page, nullptr,
                                 LibraryInstance(), nullptr);
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

    HWND Make(const wchar_t* kind, std::string_view text, DWORD style, int id, HFONT f) {
        HWND control = CreateControl(page, kind, text, style, RECT{}, id, f);
        ::SetWindowSubclass(control, &ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
        return control;
    }

    void Clear() {
        for (Editor& e : editors) Forget(e);
        editors.clear();
        radio_owners.clear();
        scroll = 0;
        wheel_rest = 0;
    }

    void Rebuild() {
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

    void MakeControls(Editor& e, int base, int& radio_id) {
        constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE | WS_GROUP;
        const PropertyEditor& m = *e.model;
        switch (m.kind) {
            case EditorKind::kHeading:
                e.main = Make(WC_STATICW, m.Caption, kLabel | WS_VISIBLE, base,
                              bold ? bold.get() : font);
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
                    const bool stop =
                        m.selected >= 0 && m.selected < static_cast<int>(m.choices.size())
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
                e.main =
                    Make(WC_STATICW, m.LabelText(), kLabel | WS_TABSTOP | WS_VISIBLE, base, font);
                e.edit = Make(WC_EDITW, "", WS_BORDER | ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP,
                              base + 1, font);
                MeasureLabel(e);
                break;
            case EditorKind::kFile:
            case EditorKind::kColour:
                e.picture =
                    Make(WC_BUTTONW, "", BS_OWNERDRAW | WS_GROUP | WS_VISIBLE, base + 2, font);
                e.main =
                    Make(WC_STATICW, m.LabelText(), kLabel | WS_TABSTOP | WS_VISIBLE, base, font);
                MeasureLabel(e);
                break;
        }
    }

    // Takes an editor's controls off the page.
    void Forget(Editor& e) {
        std::vector<HWND> controls = e.radios;
        for (HWND c : {e.main, e.edit, e.picture})
            if (c) controls.push_back(c);
        for (HWND c : controls) {
            RemoveHint(c);
            ::DestroyWindow(c);
        }
    }

    // ---- layout and scrolling ---------------------------------------------

    int ClientHeight() const {
        RECT r{};
        ::GetClientRect(page, &r);
        return r.bottom;
    }
    int ClientWidth() const {
        RECT r{};
        ::GetClientRect(page, &r);
        return r.right;
    }

    // The scroll bar (shown when the editors are taller than the page), the
    // text boxes' width, and every control at its place.
    void Layout() {
        if (laying_out) return;
        laying_out = true;
        content_height = editors.empty() ? 0 : editors.back().top + editors.back().height;
        const bool bar = content_height > ClientHeight();
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE;
        info.nMin = 0;
        info.nMax = bar ? content_height - 1 : 0;
        info.nPage = bar ? static_cast<UINT>(ClientHeight()) : 0;
        ::SetScrollInfo(page, SB_VERT, &info, TRUE);
        ::ShowScrollBar(page, SB_VERT, bar);
        text_box_width = kPropertyTextBoxWidth - (bar ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
        laying_out = false;
        ScrollTo(scroll, true);
    }

    int MaxScroll() const { return std::max(0, content_height - ClientHeight()); }

    void ScrollTo(int position, bool force = false) {
        position = std::clamp(position, 0, MaxScroll());
        if (position == scroll && !force) return;
        scroll = position;
        ::SetScrollPos(page, SB_VERT, scroll, TRUE);
        Place();
        ::InvalidateRect(page, nullptr, TRUE);
    }

    void Place() {
        const int width = ClientWidth();
        HDWP moves = ::BeginDeferWindowPos(static_cast<int>(editors.size() * 2));
        auto move = [&](HWND c, int x, int y, int w, int h) {
            if (moves)
                moves = ::DeferWindowPos(moves, c, nullptr, x, y, std::max(w, 0), h,
                                         SWP_NOZORDER | SWP_NOACTIVATE);
            if (!moves)
                ::SetWindowPos(c, nullptr, x, y, std::max(w, 0), h, SWP_NOZORDER | SWP_NOACTIVATE);
        };
        for (Editor& e : editors) {
            const int y = e.top - scroll;
            switch (e.model->kind) {
                case EditorKind::kHeading:
                    move(e.main, kLabelLeft, y, std::min(width - kLabelLeft, e.label_width),
                         kRowHeight);
                    break;
                case EditorKind::kCheckBox:
                    move(e.main, kLabelLeft, y, width - kLabelLeft, kRowHeight);
                    break;
                case EditorKind::kRadioGroup:
                    move(e.main, 0, y, width, e.height);
                    for (std::size_t k = 0; k < e.radios.size(); ++k)
                        move(e.radios[k], kRadioButtonLeft,
                             y + RadioButtonTop(static_cast<int>(k) + 1), kRadioButtonWidth,
                             kRadioButtonHeight);
                    break;
                case EditorKind::kText:
                case EditorKind::kNumber:
                    move(e.edit, 0, y, text_box_width, kRowHeight);
                    move(e.main, kLabelLeft, y, std::min(width - kLabelLeft, e.label_width),
                         kRowHeight);
                    break;
                case EditorKind::kFile:
                case EditorKind::kColour:
                    move(e.picture, 0, y, kPictureWidth, kRowHeight);
                    move(e.main, kPictureWidth + kLabelLeft, y,
                         std::min(width - kPictureWidth - kLabelLeft, e.label_width), kRowHeight);
                    break;
            }
        }
        if (moves) ::EndDeferWindowPos(moves);
        for (Editor& e : editors) HintCutLabel(e);
    }

    void VerticalScroll(int request) {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        ::GetScrollInfo(page, SB_VERT, &info);
        const int page_height = ClientHeight();
        switch (request) {
            case SB_LINEUP:
                ScrollTo(scroll - kRowHeight);
                break;
            case SB_LINEDOWN:
                ScrollTo(scroll + kRowHeight);
                break;
            case SB_PAGEUP:
                ScrollTo(scroll - page_height);
                break;
            case SB_PAGEDOWN:
                ScrollTo(scroll + page_height);
                break;
            case SB_THUMBTRACK:
            case SB_THUMBPOSITION:
                ScrollTo(info.nTrackPos);
                break;
            case SB_TOP:
                ScrollTo(0);
                break;
            case SB_BOTTOM:
                ScrollTo(MaxScroll());
                break;
            default:
                break;
        }
    }

    // One step of the bar per notch of the wheel.
    void Wheel(int delta) {
        wheel_rest += delta;
        const int notches = wheel_rest / WHEEL_DELTA;
        wheel_rest %= WHEEL_DELTA;
        ScrollTo(scroll - notches * kRowHeight);
    }

    // A control that takes the focus (by Tab above all) is scrolled into view.
    void ScrollIntoView(HWND control) {
        RECT r{};
        ::GetWindowRect(control, &r);
        ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
        if (r.top < 0)
            ScrollTo(scroll + r.top);
        else if (r.bottom > ClientHeight())
            ScrollTo(scroll + std::min<int>(r.bottom - ClientHeight(), r.top));
    }

    // ---- labels and hints ------------------------------------------------

    void MeasureLabel(Editor& e) {
        const std::wstring text = WindowText(e.main);
        SIZE size{};
        if (HDC dc = ::GetDC(e.main)) {
            HGDIOBJ old = ::SelectObject(
                dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(e.main, WM_GETFONT, 0, 0)));
            ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            ::SelectObject(dc, old);
            ::ReleaseDC(e.main, dc);
        }
        e.label_width = size.cx + 2;
    }

    // A label that reaches (nearly) the page's right edge may be cut: it
    // repeats its whole text as hover hint.
    void HintCutLabel(Editor& e) {
        const bool chooser =
            e.model->kind == EditorKind::kFile || e.model->kind == EditorKind::kColour;
        const bool label = chooser || e.model->kind == EditorKind::kHeading ||
                           e.model->kind == EditorKind::kText ||
                           e.model->kind == EditorKind::kNumber;
        if (!label) return;
        const int left = chooser ? kPictureWidth + kLabelLeft : kLabelLeft;
        // Changed only when it changes: the page is laid out on every scroll.
        std::wstring hint;
        if (left + e.label_width >= kLabelHintShare * ClientWidth()) hint = WindowText(e.main);
        if (hint == e.hint) return;
        e.hint = hint;
        if (hint.empty())
            RemoveHint(e.main);
        else
            SetHint(e.main, std::move(hint));
    }

    void HintLongCaption(HWND control, const std::string& caption) {
        if (caption.size() > kCaptionHintBytes) SetHint(control, ShownText(caption));
    }

    TOOLINFOW Tool(HWND control) const {
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = page;
        tool.uId = reinterpret_cast<UINT_PTR>(control);
        return tool;
    }

    void SetHint(HWND control, std::wstring text) {
        if (!tips) return;
        TOOLINFOW tool = Tool(control);
        ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
        tool.lpszText = text.data();
        ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    void RemoveHint(HWND control) {
        if (!tips) return;
        TOOLINFOW tool = Tool(control);
        ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }

    // ---- editing ---------------------------------------------------------

    // Found by the control's ID (every message of every control asks).
    Editor* EditorOf(HWND control) {
        const int id = ::GetDlgCtrlID(control);
        std::size_t index = editors.size();
        if (id >= kFirstRadioId &&
            static_cast<std::size_t>(id - kFirstRadioId) < radio_owners.size())
            index = radio_owners[static_cast<std::size_t>(id - kFirstRadioId)];
        else if (id >= kFirstEditorId && id < kFirstRadioId)
            index = static_cast<std::size_t>(id - kFirstEditorId) / 4;
        if (index >= editors.size()) return nullptr;
        Editor& e = editors[index];
        const bool mine = control == e.main || control == e.edit || control == e.picture ||
                          std::find(e.radios.begin(), e.radios.end(), control) != e.radios.end();
        return mine ? &e : nullptr;
    }

    static Role RoleOf(const Editor& e, HWND control) {
        if (control == e.edit) return Role::kEdit;
        if (control == e.picture) return Role::kPicture;
        if (control == e.main) return Role::kMain;
        return Role::kRadio;
    }

    static bool IsTextEditor(const Editor& e) {
        return e.model->kind == EditorKind::kText || e.model->kind == EditorKind::kNumber;
    }
    static bool IsChooser(const Editor& e) {
        return e.model->kind == EditorKind::kFile || e.model->kind == EditorKind::kColour;
    }

    void ShowLabel(Editor& e) {
        SetCp932Text(e.main, e.model->LabelText());
        MeasureLabel(e);
        Place();
    }

    void Open(Editor& e) {
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

    // The value the box holds, or why it is refused.
    struct Verdict {
        std::string value;
        std::optional<std::string> refusal;
    };
    Verdict Judge(const Editor& e) const {
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
        if (e.model->kind == EditorKind::kNumber && HasText(v.value) &&
            !ReadsAsDecimalNumber(v.value))
            v.refusal = NotANumberMessage(v.value);
        return v;
    }

    bool Commit(Editor& e, bool from_keyboard) {
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
    void Close(Editor& e, bool focus_label) {
        e.editing = false;
        e.refusal_pending = false;
        ShowLabel(e);
        ::ShowWindow(e.main, SW_SHOW);
        if (focus_label) ::SetFocus(e.main);
        ::ShowWindow(e.edit, SW_HIDE);
    }

    // The box stays open with its whole text selected, for the user to correct.
    void Refuse(Editor& e, const std::string& message) {
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
    void Leave(Editor& e, HWND next) {
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

    void ReportRefusal(std::size_t index) {
        if (index >= editors.size()) return;
        Editor& e = editors[index];
        if (e.editing && e.refusal_pending) Commit(e, false);
    }

    bool CommitOpenEditor() {
        for (Editor& e : editors)
            if (e.editing && !Commit(e, false)) return false;
        return true;
    }

    void Toggle(Editor& e) {
        const bool on = ::SendMessageW(e.main, BM_GETCHECK, 0, 0) != BST_CHECKED;
        ::SendMessageW(e.main, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
        e.model->Value.assign(1, on ? '1' : '0');
    }

    void Choose(Editor& e) {
        if (e.model->kind == EditorKind::kFile)
            ChooseFile(e);
        else
            ChooseColour(e);
        ::SetFocus(e.main);
    }

    void ChooseFile(Editor& e) {
        std::string filter;
        if (auto f = FileFilterOf(e.model->Caption)) filter = f->description + "|" + f->pattern;
        // A name without a CP932 form is refused there, with a message.
        if (auto chosen = services.ChooseFileToOpen(filter, e.model->Value)) {
            e.model->Value = *std::move(chosen);
            ShowLabel(e);
        }
    }

    void ChooseColour(Editor& e) {
        const auto bgr = ParseColourValue(e.model->Value);
        // A Windows colour value is what the system's colours are.
        const auto chosen = services.ChooseColour(bgr ? (*bgr & 0xFFFFFF) : RGB(255, 255, 255));
        if (!chosen) return;
        e.model->Value = ColourValueText(*chosen);
        ShowLabel(e);
        ::InvalidateRect(e.picture, nullptr, TRUE);
    }

    void DrawPicture(const DRAWITEMSTRUCT& item) {
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

    // ---- messages --------------------------------------------------------

    void Command(HWND control, int code) {
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

    HBRUSH Background() const {
        return editors.empty() ? ::GetSysColorBrush(COLOR_BTNFACE)
                               : static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
    }

    INT_PTR Handle(UINT message, WPARAM w, LPARAM l) {
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
    LRESULT Control(HWND control, UINT message, WPARAM w, LPARAM l) {
        Editor* e = EditorOf(control);
        if (!e) return ::DefSubclassProc(control, message, w, l);
        const Role role = RoleOf(*e, control);
        switch (message) {
            case WM_GETDLGCODE: {
                LRESULT code = ::DefSubclassProc(control, message, w, l);
                const auto* key = reinterpret_cast<const MSG*>(l);
                if (key && key->message == WM_KEYDOWN &&
                    ((role == Role::kEdit &&
                      (key->wParam == VK_RETURN || key->wParam == VK_ESCAPE)) ||
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
                if (role == Role::kEdit && e->model->kind == EditorKind::kNumber &&
                    (l & GCS_RESULTSTR))
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

    void Report(const std::exception& failure) {
        try {
            services.ShowError(failure.what());
        } catch (...) {
        }
    }

    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM w, LPARAM l) {
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

    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                        DWORD_PTR data) {
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
};

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
