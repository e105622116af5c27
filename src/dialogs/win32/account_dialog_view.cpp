// The account settings dialog on Windows: the controls of TFormAccount and
// its two format panels, built in code on an empty dialog template, over the
// toolkit-free behaviour in dialogs/account_dialog.h. The view copies the
// controls into the model before a handler and shows the model after it.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <tuple>
#include <utility>

#include "common/error.h"
#include "dialogs/account_dialog.h"
#include "dialogs/format_panels.h"
#include "dialogs/win32/account_dialog_ids.h"
#include "dialogs/win32/dialog_entry.h"
#include "dialogs/win32/format_panel_controls.h"
#include "dialogs/win32/paged_dialog.h"

namespace drwa::dialogs::win32 {
namespace {

namespace at = account_texts;
namespace ids = account_ids;

enum Page { kBasicPage, kOtherPage, kSubjectPage, kTitlePage };

constexpr DWORD kLabel = WS_GROUP | SS_LEFT;
constexpr DWORD kPlainLabel = kLabel | SS_NOPREFIX;
constexpr DWORD kEdit = WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kFirstRadio = WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;

constexpr int kSubjectBase = ids::kSubjectRadio1 - panel_ids::kRadio1;
constexpr int kTitleBase = ids::kTitleRadio1 - panel_ids::kRadio1;
static_assert(kSubjectBase + panel_ids::kDigits == ids::kSubjectSpinEditKeta &&
              kSubjectBase + panel_ids::kFormat == ids::kSubjectEditSyoshiki &&
              kSubjectBase + panel_ids::kSample == ids::kSubjectLabelSample &&
              kTitleBase + panel_ids::kFormat == ids::kTitleEditSyoshiki &&
              kTitleBase + panel_ids::kSample == ids::kTitleLabelSample);

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

class AccountDialogView final : public PagedDialog {
  public:
    AccountDialogView(TFormAccount& model, WindowDialogServices& services)
        : PagedDialog(services), model_(model) {}

    bool Run(HWND owner) { return RunModal(at::kCaption, 300, 196, owner); }

  private:
    INT_PTR Initialise() override {
        Build();
        TakePageColour(Item(ids::kPageControl1));
        ShowAll();
        ShowPage(kBasicPage);
        CentreOn(dialog_, ::GetWindow(dialog_, GW_OWNER));
        ::SetFocus(Item(ids::kEditDRWAPluginFolder));
        return FALSE;  // the focus is set
    }

    void PageChosen(int, int page) override { ShowPage(page); }

    bool RedText(int id) const override {
        return id >= ids::kFirstNote && id < ids::kFirstNote + ids::kNoteCount;
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

        subject_.Build(*this, kSubjectPage, 0, 0);
        title_.Build(*this, kTitlePage, 0, 0);

        // Below the pages.
        Add(kEveryPage,
            {WC_STATICW, at::VersionLabel(), kPlainLabel, 8, 172, 170, 9, ids::kLabelVersion});
        Add(kEveryPage,
            {WC_STATICW, at::AuthorLabel(), kPlainLabel, 8, 182, 170, 9, ids::kLabelAuthor});
        Add(kEveryPage,
            {WC_BUTTONW, at::kOK, kButton | BS_DEFPUSHBUTTON, 186, 176, 50, 14, ids::kOK});
        Add(kEveryPage, {WC_BUTTONW, at::kCancel, kButton, 242, 176, 50, 14, ids::kCancel});
        AddTabs(ids::kPageControl1, 4, 4, 292, 164, at::kPages);
    }

    void ShowPage(int page) {
        if (page < kBasicPage || page > kTitlePage) return;
        SelectTab(ids::kPageControl1, page);
        ShowPages([page](HWND, int on) { return on == kEveryPage || on == page; },
                  Item(ids::kPageControl1));
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
        subject_.Show(dialog_);
        title_.Show(dialog_);
        refreshing_ = false;
    }

    void ShowProxyEnabling() {
        for (int id : {ids::kLabelProxy, ids::kEditProxy, ids::kEditProxyPort})
            ::EnableWindow(Item(id), model_.ProxyControlsEnabled);
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

    void Command(int id, int code) override {
        if (subject_.Command(dialog_, id, code, services_) ||
            title_.Command(dialog_, id, code, services_))
            return;
        if (code == BN_CLICKED) Clicked(id);
    }

    void Clicked(int id) {
        if (id >= ids::kRadioProxy1 && id < ids::kRadioProxy1 + 3) {
            model_.RadioGroup1 = id - ids::kRadioProxy1;
            model_.RadioGroup1Click();
            ShowProxyEnabling();
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
    SubjectPanelControls subject_{model_.TFrameSubjectFrame1, kSubjectBase};
    TitlePanelControls title_{model_.TFrameBBSTitleFrame1, kTitleBase};
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
