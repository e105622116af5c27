// The account settings dialog on Windows: the controls of TFormAccount and
// its two format panels, built in code on an empty dialog template, over the
// toolkit-free behaviour in dialogs/account_dialog.h. The view copies the
// controls into the model before a handler and shows the model after it.
//
// All controls are children of the dialog itself and a page shows or hides
// its own; the tab strip is created last so that it lies beneath the pages.
// The dialog manager's tab cycle then runs page, OK, Cancel, tab strip and
// back to the page: the visual order, read round.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <exception>
#include <memory>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "common/error.h"
#include "dialogs/account_dialog.h"
#include "dialogs/format_panels.h"
#include "dialogs/win32/account_dialog_ids.h"
#include "dialogs/win32/dialog_entry.h"
#include "dialogs/win32/win32_controls.h"
#include "dialogs/win32/window_services.h"

namespace drwa::dialogs::win32 {
namespace {

namespace at = account_texts;
namespace ids = account_ids;

enum Page { kBasicPage, kOtherPage, kSubjectPage, kTitlePage, kEveryPage };

// Ending the dialog because a handler failed: the failure is thrown again
// once the system's modal loop has returned.
constexpr INT_PTR kFailed = -2;

constexpr DWORD kLabel = WS_GROUP | SS_LEFT;
constexpr DWORD kPlainLabel = kLabel | SS_NOPREFIX;
constexpr DWORD kEdit = WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFirstRadio = WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;

// The text boxes that hold a field of the model as typed.
struct TextField {
    int id;
    std::string TFormAccount::*field;
};
constexpr std::array<TextField, 5> kTextFields{{
    {ids::kEditDRWAPluginFolder, &TFormAccount::EditDRWAPluginFolder},
    {ids::kEditPerlFolder, &TFormAccount::EditPerlFolder},
    {ids::kEditRubyFolder, &TFormAccount::EditRubyFolder},
    {ids::kEditProxy, &TFormAccount::EditProxy},
    {ids::kEditProxyPort, &TFormAccount::EditProxyPort},
}};

// The number boxes of page "その他" with the limits of their arrows and of
// what may be typed. The thread count takes any digit so that OK can tell
// the user what is wrong with it; the time-outs keep to their range.
struct NumberField {
    int id;
    int TFormAccount::*field;
    int low, high, step, digits;
    bool clamped;
};
constexpr std::array<NumberField, 3> kNumberFields{{
    {ids::kSpinEditTimeOut, &TFormAccount::SpinEditTimeOut, 0, TFormAccount::kTimeOutMax, 1, 3,
     true},
    {ids::kSpinEditTimeOut2, &TFormAccount::SpinEditTimeOut2, TFormAccount::kTimeOut2Min,
     TFormAccount::kTimeOut2Max, TFormAccount::kTimeOut2Step, 4, true},
    {ids::kSpinEditThreadCount, &TFormAccount::SpinEditThreadCount, TFormAccount::kThreadCountMin,
     TFormAccount::kThreadCountMax, 1, 1, false},
}};

class AccountDialogView {
  public:
    AccountDialogView(TFormAccount& model, WindowDialogServices& services)
        : model_(model), services_(services) {}

    bool Run(HWND owner) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_TAB_CLASSES | ICC_UPDOWN_CLASS};
        ::InitCommonControlsEx(&classes);
        const INT_PTR result = RunModalDialog(EmptyDialogTemplate(at::kCaption, 300, 196, font_),
                                              owner, &Proc, reinterpret_cast<LPARAM>(this));
        services_.SetOwner(owner);
        if (failure_) std::rethrow_exception(failure_);
        return result == IDOK;
    }

  private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, l);
        auto* view = reinterpret_cast<AccountDialogView*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (!view) return FALSE;
        // No exception may pass through the system's modal loop.
        try {
            return view->Handle(dialog, message, w, l);
        } catch (...) {
            view->failure_ = std::current_exception();
            ::EndDialog(dialog, kFailed);
            return TRUE;
        }
    }

    INT_PTR Handle(HWND dialog, UINT message, WPARAM w, LPARAM l) {
        switch (message) {
            case WM_INITDIALOG:
                dialog_ = dialog;
                services_.SetOwner(dialog);
                Build();
                TakePageColour();
                ShowAll();
                ShowPage(kBasicPage);
                CentreOn(dialog, ::GetWindow(dialog, GW_OWNER));
                ::SetFocus(Item(ids::kEditDRWAPluginFolder));
                return FALSE;  // the focus is set
            case WM_COMMAND:
                Command(LOWORD(w), HIWORD(w));
                return TRUE;
            case WM_NOTIFY:
                if (reinterpret_cast<const NMHDR*>(l)->idFrom == ids::kPageControl1 &&
                    reinterpret_cast<const NMHDR*>(l)->code == TCN_SELCHANGE)
                    ShowPage(static_cast<int>(
                        ::SendMessageW(Item(ids::kPageControl1), TCM_GETCURSEL, 0, 0)));
                return TRUE;
            case WM_CTLCOLORSTATIC:
                return ControlColours(reinterpret_cast<HDC>(w), reinterpret_cast<HWND>(l));
            default:
                return FALSE;
        }
    }

    HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }

    // Labels, radio buttons and check boxes on a page take the colour of the
    // tab strip's body, which a themed system paints lighter than the dialog;
    // the notes are red. Edits keep the system's colours (grey when disabled).
    INT_PTR ControlColours(HDC dc, HWND control) {
        const int id = ::GetDlgCtrlID(control);
        const bool note = id >= ids::kFirstNote && id < ids::kFirstNote + ids::kNoteCount;
        wchar_t kind[16] = {};
        ::GetClassNameW(control, kind, 16);
        const auto it = std::find_if(pages_.begin(), pages_.end(),
                                     [&](const auto& entry) { return entry.first == control; });
        const bool on_page = it != pages_.end() && it->second != kEveryPage;
        if (!on_page || !page_brush_ || ::lstrcmpiW(kind, WC_EDITW) == 0) return FALSE;
        if (note) ::SetTextColor(dc, RGB(255, 0, 0));
        ::SetBkColor(dc, page_colour_);
        return reinterpret_cast<INT_PTR>(page_brush_.get());
    }

    // The colour of the tab strip's body as the tab control paints it.
    void TakePageColour() {
        HWND tabs = Item(ids::kPageControl1);
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

    HWND Add(Page page, const ControlSpec& spec) {
        HWND control = AddControl(dialog_, spec, font_.get());
        pages_.emplace_back(control, page);
        return control;
    }

    void AddNumber(Page page, int id, short x, short y, int low, int high, int step, int digits) {
        HWND edit = Add(page, {WC_EDITW, "", kEdit | ES_NUMBER, x, y, 36, 12, id});
        ::SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(digits), 0);
        HWND arrows = Add(page, {UPDOWN_CLASSW, "",
                                 UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                 0, 0, 0, 0, id + 1});
        ::SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
        ::SendMessageW(arrows, UDM_SETRANGE32, static_cast<WPARAM>(low), high);
        UDACCEL accel{0, static_cast<UINT>(step)};
        ::SendMessageW(arrows, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
    }

    // The controls, page by page, in tab order.
    void Build() {
        // Page "基本設定": the three paths, then the proxy.
        const std::array<std::tuple<std::string_view, char, int>, 3> paths{{
            {at::kPluginFolder, 'D', ids::kEditDRWAPluginFolder},
            {at::kPerl, 'P', ids::kEditPerlFolder},
            {at::kRuby, 'R', ids::kEditRubyFolder},
        }};
        short y = 28;
        for (const auto& [caption, letter, id] : paths) {
            const std::string label = Accelerated(caption, letter);
            Add(kBasicPage, {WC_STATICW, label, kLabel, 14, static_cast<short>(y + 2), 96, 9, -1});
            Add(kBasicPage, {WC_EDITW, "", kEdit, 112, y, 150, 12, id});
            Add(kBasicPage, {WC_BUTTONW, at::kBrowse, kButton, 266, y, 20, 12, id + 1});
            y += 16;
        }
        Add(kBasicPage, {WC_BUTTONW, at::kProxyCaption, WS_GROUP | BS_GROUPBOX, 12, 78, 276, 48,
                         ids::kGroupBoxRadioGroup1});
        const std::array<char, 3> proxy_letters{'N', 'S', 'I'};
        const std::array<short, 3> proxy_x{20, 100, 180};
        for (std::size_t i = 0; i < at::kProxyItems.size(); ++i)
            Add(kBasicPage, {WC_BUTTONW, Accelerated(at::kProxyItems[i], proxy_letters[i]),
                             i == 0 ? kFirstRadio : kRadio, proxy_x[i], 92, 100, 10,
                             ids::kRadioProxy1 + static_cast<int>(i)});
        Add(kBasicPage, {WC_STATICW, Accelerated(at::kProxyServer, 'X'), kLabel, 20, 108, 76, 9,
                         ids::kLabelProxy});
        Add(kBasicPage, {WC_EDITW, "", kEdit, 100, 106, 130, 12, ids::kEditProxy});
        Add(kBasicPage, {WC_EDITW, "", kEdit, 236, 106, 44, 12, ids::kEditProxyPort});

        // Page "その他".
        const std::array<std::pair<std::string_view, char>, 3> numbers{
            {{at::kTimeOut, 'T'}, {at::kTimeOut2, 'W'}, {at::kThreadCount, 'H'}}};
        y = 28;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            const NumberField& n = kNumberFields[i];
            Add(kOtherPage, {WC_STATICW, Accelerated(numbers[i].first, numbers[i].second), kLabel,
                             14, static_cast<short>(y + 2), 90, 9, -1});
            AddNumber(kOtherPage, n.id, 106, y, n.low, n.high, n.step, n.digits);
            y += 20;
        }
        const std::array<std::pair<std::string_view, short>, ids::kNoteCount> notes{
            {{at::kTimeOutNote[0], 26},
             {at::kTimeOutNote[1], 35},
             {at::kTimeOut2Note, 50},
             {at::kThreadCountNote, 70}}};
        for (int i = 0; i < ids::kNoteCount; ++i)
            Add(kOtherPage, {WC_STATICW, notes[i].first, kPlainLabel, 150, notes[i].second, 136, 9,
                             ids::kFirstNote + i});
        Add(kOtherPage, {WC_BUTTONW, Accelerated(at::kAbortTransLog, 'L'),
                         WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX, 14, 90, 270, 10,
                         ids::kCheckBoxAbortTransLog});

        BuildSubjectPanel();
        BuildTitlePanel();

        // Below the pages.
        Add(kEveryPage,
            {WC_STATICW, at::VersionLabel(), kPlainLabel, 8, 172, 170, 9, ids::kLabelVersion});
        Add(kEveryPage,
            {WC_STATICW, at::AuthorLabel(), kPlainLabel, 8, 182, 170, 9, ids::kLabelAuthor});
        Add(kEveryPage,
            {WC_BUTTONW, at::kOK, kButton | BS_DEFPUSHBUTTON, 186, 176, 50, 14, ids::kOK});
        Add(kEveryPage, {WC_BUTTONW, at::kCancel, kButton, 242, 176, 50, 14, ids::kCancel});
        HWND tabs = Add(kEveryPage, {WC_TABCONTROLW, "", WS_GROUP | WS_TABSTOP | WS_CLIPSIBLINGS, 4,
                                     4, 292, 164, ids::kPageControl1});
        for (std::size_t i = 0; i < at::kPages.size(); ++i) {
            std::wstring text = ShownText(at::kPages[i]);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            ::SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
        }
    }

    // The subject panel, controls in its tab order: the radio group, the
    // digits, the format, the preview.
    void BuildSubjectPanel() {
        namespace st = subject_texts;
        Add(kSubjectPage, {WC_BUTTONW, st::kRadioCaption, WS_GROUP | BS_GROUPBOX, 12, 24, 276, 28,
                           ids::kSubjectRadio1 - 1});
        const std::array<char, 2> letters{'N', 'Y'};
        for (int i = 0; i < 2; ++i)
            Add(kSubjectPage, {WC_BUTTONW, Accelerated(st::kRadioItems[i], letters[i]),
                               i == 0 ? kFirstRadio : kRadio, static_cast<short>(20 + 130 * i), 36,
                               110, 10, ids::kSubjectRadio1 + i});
        AddNumber(kSubjectPage, ids::kSubjectSpinEditKeta, 220, 70, TFrameSubjectFrame::kMinDigits,
                  TFrameSubjectFrame::kMaxDigits, 1, 2);
        Add(kSubjectPage, {WC_STATICW, st::kLabelSyoshiki, kPlainLabel, 14, 58, 272, 9,
                           ids::kSubjectEditSyoshiki - 1});
        Add(kSubjectPage, {WC_EDITW, "", kEdit, 14, 70, 200, 12, ids::kSubjectEditSyoshiki});
        Add(kSubjectPage, {WC_STATICW, st::kLabelSampleCaption, kPlainLabel, 14, 90, 272, 9,
                           ids::kSubjectLabelSample - 1});
        Add(kSubjectPage, {WC_STATICW, "", kPlainLabel, 14, 102, 272, 9, ids::kSubjectLabelSample});
    }

    void BuildTitlePanel() {
        namespace tt = title_texts;
        Add(kTitlePage, {WC_BUTTONW, tt::kRadioCaption, WS_GROUP | BS_GROUPBOX, 12, 24, 276, 62,
                         ids::kTitleRadio1 - 1});
        const std::array<char, 4> letters{'N', 'X', 'C', 'L'};
        for (int i = 0; i < 4; ++i)
            Add(kTitlePage, {WC_BUTTONW, Accelerated(tt::kRadioItems[i], letters[i]),
                             i == 0 ? kFirstRadio : kRadio, 20, static_cast<short>(36 + 12 * i),
                             200, 10, ids::kTitleRadio1 + i});
        Add(kTitlePage, {WC_STATICW, Accelerated(tt::kLabelSyoshiki, 'F'), kLabel, 14, 92, 272, 9,
                         ids::kTitleEditSyoshiki - 1});
        Add(kTitlePage, {WC_EDITW, "", kEdit, 14, 104, 200, 12, ids::kTitleEditSyoshiki});
        Add(kTitlePage, {WC_STATICW, tt::kLabelSampleCaption, kPlainLabel, 14, 124, 272, 9,
                         ids::kTitleLabelSample - 1});
        Add(kTitlePage, {WC_STATICW, "", kPlainLabel, 14, 136, 272, 9, ids::kTitleLabelSample});
    }

    void ShowPage(int page) {
        if (page < kBasicPage || page >= kEveryPage) return;
        ::SendMessageW(Item(ids::kPageControl1), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
        HWND focus = ::GetFocus();
        for (const auto& [control, on] : pages_) {
            if (on == kEveryPage) continue;
            ::ShowWindow(control, on == page ? SW_SHOWNA : SW_HIDE);
        }
        if (focus && !::IsWindowVisible(focus)) ::SetFocus(Item(ids::kPageControl1));
    }

    // --- Model into controls ------------------------------------------------
    void ShowAll() {
        refreshing_ = true;
        for (const TextField& t : kTextFields) SetCp932Text(Item(t.id), model_.*t.field);
        for (const NumberField& n : kNumberFields)
            ::SetDlgItemInt(dialog_, n.id, static_cast<UINT>(model_.*n.field), FALSE);
        ::CheckDlgButton(dialog_, ids::kCheckBoxAbortTransLog,
                         model_.CheckBoxAbortTransLog ? BST_CHECKED : BST_UNCHECKED);
        CheckItem(ids::kRadioProxy1, 3, model_.RadioGroup1);
        ShowProxyEnabling();
        const TFrameSubjectFrame& s = model_.TFrameSubjectFrame1;
        CheckItem(ids::kSubjectRadio1, 2, s.RadioGroup1);
        ::SetDlgItemInt(dialog_, ids::kSubjectSpinEditKeta, static_cast<UINT>(s.SpinEditKeta),
                        FALSE);
        SetCp932Text(Item(ids::kSubjectEditSyoshiki), s.EditSyoshiki);
        const TFrameBBSTitleFrame& t = model_.TFrameBBSTitleFrame1;
        CheckItem(ids::kTitleRadio1, 4, t.RadioGroup1);
        SetCp932Text(Item(ids::kTitleEditSyoshiki), t.EditSyoshiki);
        refreshing_ = false;
        ShowPanels();
    }

    // An item outside the group (a hand-edited file) leaves none checked.
    void CheckItem(int first, int count, int item) {
        for (int i = 0; i < count; ++i)
            ::CheckDlgButton(dialog_, first + i, i == item ? BST_CHECKED : BST_UNCHECKED);
    }

    void ShowProxyEnabling() {
        for (int id : {ids::kLabelProxy, ids::kEditProxy, ids::kEditProxyPort})
            ::EnableWindow(Item(id), model_.ProxyControlsEnabled);
    }

    void ShowPanels() {
        const TFrameSubjectFrame& s = model_.TFrameSubjectFrame1;
        SetCp932Text(Item(ids::kSubjectLabelSample), s.LabelSample);
        for (int id = ids::kSubjectSpinEditKeta; id <= ids::kSubjectLabelSample; ++id)
            ::EnableWindow(Item(id), s.FormatEnabled);
        const TFrameBBSTitleFrame& t = model_.TFrameBBSTitleFrame1;
        SetCp932Text(Item(ids::kTitleLabelSample), t.LabelSample);
        for (int id = ids::kTitleEditSyoshiki - 1; id <= ids::kTitleLabelSample; ++id)
            ::EnableWindow(Item(id), t.FormatEnabled);
    }

    // --- Controls into the model --------------------------------------------
    // A text with a character CP932 lacks is refused where it is, with the
    // page shown and the focus on it.
    bool TakeText(int id, Page page, std::string& field) {
        auto text = Cp932Text(Item(id));
        if (text) {
            field = *std::move(text);
            return true;
        }
        ShowPage(page);
        services_.ShowError(NoCp932FormMessage(Item(id)));
        ::SetFocus(Item(id));
        return false;
    }

    bool TakeAll() {
        for (const TextField& t : kTextFields)
            if (!TakeText(t.id, kBasicPage, model_.*t.field)) return false;
        for (const NumberField& n : kNumberFields) {
            BOOL ok = FALSE;
            int value = static_cast<int>(::GetDlgItemInt(dialog_, n.id, &ok, FALSE));
            if (!ok) value = n.clamped ? n.low : 0;
            model_.*n.field = n.clamped ? std::clamp(value, n.low, n.high) : value;
        }
        model_.CheckBoxAbortTransLog =
            ::IsDlgButtonChecked(dialog_, ids::kCheckBoxAbortTransLog) == BST_CHECKED;
        return true;
    }

    void Command(int id, int code) {
        if (refreshing_) return;
        if (code == BN_CLICKED) {
            Clicked(id);
        } else if (code == EN_CHANGE) {
            Changed(id);
        }
    }

    void Clicked(int id) {
        auto& subject = model_.TFrameSubjectFrame1;
        auto& title = model_.TFrameBBSTitleFrame1;
        if (id >= ids::kRadioProxy1 && id < ids::kRadioProxy1 + 3) {
            model_.RadioGroup1 = id - ids::kRadioProxy1;
            model_.RadioGroup1Click();
            ShowProxyEnabling();
        } else if (id >= ids::kSubjectRadio1 && id < ids::kSubjectRadio1 + 2) {
            subject.RadioGroup1 = id - ids::kSubjectRadio1;
            subject.RadioGroup1Click();
            ShowPanels();
        } else if (id >= ids::kTitleRadio1 && id < ids::kTitleRadio1 + 4) {
            title.RadioGroup1 = id - ids::kTitleRadio1;
            title.RadioGroup1Click();
            ShowPanels();
        } else if (id == ids::kButtonDRWAPluginFolder) {
            if (auto folder = services_.ChooseFolder(at::kPluginFolderChooser))
                SetCp932Text(Item(ids::kEditDRWAPluginFolder), *folder);
        } else if (id == ids::kButtonPerlFolder || id == ids::kButtonRubyFolder) {
            HWND edit = Item(id - 1);
            if (auto file =
                    services_.ChooseFileToOpen(at::kExecutableFilter, Cp932Text(edit).value_or("")))
                SetCp932Text(edit, *file);
        } else if (id == ids::kOK) {
            Ok();
        } else if (id == ids::kCancel) {
            ::EndDialog(dialog_, IDCANCEL);
        }
    }

    void Changed(int id) {
        auto& subject = model_.TFrameSubjectFrame1;
        auto& title = model_.TFrameBBSTitleFrame1;
        if (id == ids::kSubjectSpinEditKeta) {
            BOOL ok = FALSE;
            const UINT digits = ::GetDlgItemInt(dialog_, id, &ok, FALSE);
            if (!ok) return;
            subject.SpinEditKeta = static_cast<int>(digits);
            subject.SpinEditKetaChange();
        } else if (id == ids::kSubjectEditSyoshiki || id == ids::kTitleEditSyoshiki) {
            std::string& format =
                id == ids::kTitleEditSyoshiki ? title.EditSyoshiki : subject.EditSyoshiki;
            if (auto text = Cp932Text(Item(id))) {
                format = *std::move(text);
            } else {
                // The box goes back to what the panel holds, which Save writes.
                const std::string message = NoCp932FormMessage(Item(id));
                refreshing_ = true;
                SetCp932Text(Item(id), format);
                refreshing_ = false;
                services_.ShowError(message);
            }
            subject.EditSyoshikiChange();
            title.EditSyoshikiChange();
        } else {
            return;
        }
        ShowPanels();
    }

    void Ok() {
        if (!TakeAll()) return;
        if (model_.ButtonOKClick()) {
            ::EndDialog(dialog_, IDOK);
            return;
        }
        const bool port = model_.FocusField == TFormAccount::Field::kProxyPort;
        if (!port && model_.FocusField != TFormAccount::Field::kThreadCount) return;
        ShowPage(port ? kBasicPage : kOtherPage);
        HWND field = Item(port ? ids::kEditProxyPort : ids::kSpinEditThreadCount);
        ::SetFocus(field);
        ::SendMessageW(field, EM_SETSEL, 0, -1);
    }

    TFormAccount& model_;
    WindowDialogServices& services_;
    DialogFont font_;
    HWND dialog_ = nullptr;
    std::vector<std::pair<HWND, Page>> pages_;
    bool refreshing_ = false;  // the view itself is writing into its controls
    std::exception_ptr failure_;
    struct DeleteBrush {
        void operator()(HBRUSH b) const { ::DeleteObject(b); }
    };
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, DeleteBrush> page_brush_;
    COLORREF page_colour_ = 0;
};

}  // namespace

void EditAccountOnScreen(std::string_view account_path, void* owner) {
    // A handle that names no window (a host's stale one) would make the dialog
    // fail altogether: the dialog is shown without an owner instead.
    HWND host = static_cast<HWND>(owner);
    if (host && !::IsWindow(host)) host = nullptr;
    WindowDialogServices services(host);
    EditAccount(account_path, services, [&](TFormAccount& model) {
        AccountDialogView view(model, services);
        return view.Run(host);
    });
}

}  // namespace drwa::dialogs::win32
