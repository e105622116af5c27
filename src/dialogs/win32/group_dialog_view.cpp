// The group properties dialog on Windows: the controls of TFormGroup on four
// pages (the last with three pages of its own), the plugin's settings page
// built at run time, and the two format panels, over the toolkit-free
// behaviour in dialogs/group_dialog.h. What the user changes goes into the
// model as it is typed or clicked; each event runs the model's handler and
// the controls then show the model again.
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <string>

#include "dialogs/edit_group_property.h"
#include "dialogs/group_dialog.h"
#include "dialogs/group_dialog_texts.h"
#include "dialogs/win32/dialog_entry.h"
#include "dialogs/win32/format_panel_controls.h"
#include "dialogs/win32/group_dialog_ids.h"
#include "dialogs/win32/paged_dialog.h"
#include "dialogs/win32/property_page_window.h"

namespace drwa::dialogs::win32 {
namespace {

namespace gt = group_texts;
namespace ids = group_ids;

// The pages of PageControl1 are 0 ... 3 (GroupPage); those of PageControl2
// follow on from kSubjectPage.
constexpr int kDetail2Page = static_cast<int>(GroupPage::kDetail2);
constexpr int kSubjectPage = 10;
constexpr int kTitlePage = 11;
constexpr int kOtherPage = 12;

constexpr DWORD kLabel = WS_GROUP | SS_LEFT;
constexpr DWORD kPlainLabel = kLabel | SS_NOPREFIX;
constexpr DWORD kEdit = WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kMemo =
    WS_GROUP | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY;
constexpr DWORD kButton = WS_GROUP | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheckBox = WS_GROUP | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kDropDown = WS_GROUP | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;

constexpr bool InPanel(int id, int base) {
    return id >= base && id <= base + panel_ids::kSample;
}

// A multi-line box shows a line break only as CR LF.
std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

class GroupDialogView final : public PagedDialog {
  public:
    GroupDialogView(TFormGroup& model, WindowDialogServices& services)
        : PagedDialog(services), model_(model), parameters_(model.FramePropertyEdit1, services) {}

    bool Run(HWND owner) { return RunModal(gt::kCaption, 380, 250, owner); }

  private:
    INT_PTR Initialise() override {
        Build();
        TakePageColour(Item(ids::kPageControl1));
        if (model_.PagesLoaded()) parameters_.Rebuild();
        Refresh();
        CentreOn(dialog_, ::GetWindow(dialog_, GW_OWNER));
        ::SetFocus(Item(model_.NewGroupMode() ? ids::kEditKeijibanName : ids::kComboBoxPluginName));
        return FALSE;  // the focus is set
    }

    // --- The controls, in tab order ----------------------------------------
    void Build() {
        Add(kEveryPage,
            {WC_EDITW, "", kEdit | ES_UPPERCASE, 6, 6, 200, 12, ids::kEditKeijibanName});
        Add(kEveryPage,
            {WC_BUTTONW, gt::kButtonMakeFolder, kButton, 210, 5, 50, 14, ids::kButtonMakeFolder});
        Add(kEveryPage, {WC_COMBOBOXW, "", kDropDown, 6, 6, 200, 120, ids::kComboBoxKeijibanName});

        BuildBasicPage();
        BuildPatrolPage();
        BuildDetailPage();
        BuildDetail2Page();

        Add(kEveryPage,
            {WC_STATICW, gt::kLabelNameHenko, kLabel, 8, 230, 44, 9, ids::kLabelNameHenko});
        Add(kEveryPage,
            {WC_EDITW, "", kEdit | ES_UPPERCASE, 54, 228, 120, 12, ids::kEditNameHenko});
        Add(kEveryPage,
            {WC_BUTTONW, gt::kButtonOK, kButton | BS_DEFPUSHBUTTON, 266, 227, 50, 14, ids::kOK});
        Add(kEveryPage, {WC_BUTTONW, gt::kButtonCancel, kButton, 322, 227, 50, 14, ids::kCancel});
        AddTabs(ids::kPageControl1, 4, 24, 372, 196, gt::kPages);
    }

    void BuildBasicPage() {
        constexpr int page = static_cast<int>(GroupPage::kBasic);
        Add(page, {WC_STATICW, gt::kComboBoxPluginName, kLabel, 14, 46, 96, 9,
                   ids::kComboBoxPluginName - 1});
        Add(page, {WC_COMBOBOXW, "", kDropDown, 112, 44, 120, 120, ids::kComboBoxPluginName});
        Add(page,
            {WC_BUTTONW, gt::kButtonPluginHelp, kButton, 280, 43, 88, 14, ids::kButtonPluginHelp});
        Add(page,
            {WC_BUTTONW, gt::kCheckBoxJunkai, kCheckBox, 14, 62, 200, 10, ids::kCheckBoxJunkai});
        const std::array<int, 3> labels{ids::kLabelPluginTaiou, ids::kLabelPluginSakusya,
                                        ids::kLabelPluginVersion};
        for (std::size_t i = 0; i < labels.size(); ++i)
            Add(page, {WC_STATICW, "", kPlainLabel, 14, static_cast<short>(80 + 12 * i), 354, 9,
                       labels[i]});
        Add(page, {WC_STATICW, gt::kLabelComment, kPlainLabel, 14, 118, 100, 9,
                   ids::kMemoPluginComment - 1});
        Add(page, {WC_EDITW, "", kMemo, 14, 129, 354, 84, ids::kMemoPluginComment});
    }

    void BuildPatrolPage() {
        constexpr int page = static_cast<int>(GroupPage::kPatrol);
        for (int i = 0; i < 10; ++i) {
            const auto y = static_cast<short>(44 + 16 * i);
            Add(page, {WC_STATICW, "", kLabel, 14, static_cast<short>(y + 2), 204, 9,
                       ids::kLabelJunkai1 + i});
            Add(page, {WC_EDITW, "", kEdit | (i == 9 ? ES_PASSWORD : 0), 222, y, 146, 12,
                       ids::kEditJunkai1 + i});
        }
    }

    void BuildDetailPage() {
        constexpr int page = static_cast<int>(GroupPage::kDetail);
        Add(page, {WC_STATICW, gt::kFramePropertyEdit, kLabel, 14, 44, 200, 9,
                   ids::kFramePropertyEdit1 - 1});
        // The plugin's page, where the tab order puts it: between its label
        // and the character set.
        RECT area{14, 55, 14 + 354, 55 + 112};
        ::MapDialogRect(dialog_, &area);
        parameters_.Create(dialog_, area, ids::kFramePropertyEdit1, font_.get());
        ::SetWindowPos(parameters_.window(), HWND_BOTTOM, 0, 0, 0, 0,
                       SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        pages_.emplace_back(parameters_.window(), page);
        Add(page,
            {WC_STATICW, gt::kComboBoxCharSet, kLabel, 14, 174, 96, 9, ids::kComboBoxCharSet - 1});
        HWND charsets =
            Add(page, {WC_COMBOBOXW, "", kDropDown, 112, 172, 60, 60, ids::kComboBoxCharSet});
        for (std::string_view charset : gt::kCharSets)
            ::SendMessageW(charsets, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(ShownText(charset).c_str()));
        Add(page,
            {WC_STATICW, gt::kMemoSignature, kLabel, 14, 190, 40, 9, ids::kMemoSignature - 1});
        Add(page, {WC_EDITW, "", kMemo, 56, 188, 312, 28, ids::kMemoSignature});
    }

    void BuildDetail2Page() {
        Add(kSubjectPage,
            {WC_BUTTONW, gt::kInherit, kCheckBox, 16, 60, 200, 10, ids::kCheckBoxHikitugiSubject});
        subject_.Build(*this, kSubjectPage, 6, 48);
        Add(kTitlePage,
            {WC_BUTTONW, gt::kInherit, kCheckBox, 16, 60, 200, 10, ids::kCheckBoxHikitugiBBSTitle});
        title_.Build(*this, kTitlePage, 6, 48);
        Add(kOtherPage, {WC_STATICW, gt::kSpinEditThreadNumber, kPlainLabel, 16, 62, 150, 9,
                         ids::kSpinEditThreadNumber - 1});
        AddNumber(kOtherPage, ids::kSpinEditThreadNumber, 170, 60, 0, 1, 1, 4);
        Add(kOtherPage, {WC_BUTTONW, gt::kCheckBoxSaveNumber, kCheckBox, 16, 80, 250, 10,
                         ids::kCheckBoxSaveNumber});
        Add(kOtherPage,
            {WC_BUTTONW, gt::kButtonTorikomi, kButton, 16, 98, 80, 14, ids::kButtonTorikomi});
        // Beneath its pages' controls, and a control of the page around it.
        AddTabs(ids::kPageControl2, 10, 42, 360, 174, gt::kOptionPages);
        pages_.back().second = kDetail2Page;
    }

    // --- Model into controls ------------------------------------------------
    void Refresh() {
        const TFormGroup& m = model_;
        refreshing_ = true;
        SetText(ids::kEditKeijibanName, m.EditKeijibanName);
        FillList(ids::kComboBoxKeijibanName, m.ComboBoxKeijibanName, m.KeijibanIndex);
        ::EnableWindow(Item(ids::kLabelNameHenko), m.RenameEnabled);
        ::EnableWindow(Item(ids::kEditNameHenko), m.RenameEnabled);
        SetText(ids::kEditNameHenko, m.EditNameHenko.text);
        ::EnableWindow(Item(ids::kOK), m.ButtonOKEnabled);
        SelectTab(ids::kPageControl1, static_cast<int>(m.ActivePage));

        std::vector<std::string> plugins;
        for (const config::ArticlePlugin& plugin : m.ComboBoxPluginName)
            plugins.push_back(plugin.name);
        FillList(ids::kComboBoxPluginName, plugins, m.PluginIndex);
        Check(ids::kCheckBoxJunkai, m.CheckBoxJunkai);
        SetText(ids::kLabelPluginTaiou, std::string(gt::kLabelTaiou) + m.LabelPluginTaiou);
        SetText(ids::kLabelPluginSakusya, std::string(gt::kLabelSakusya) + m.LabelPluginSakusya);
        SetText(ids::kLabelPluginVersion, std::string(gt::kLabelVersion) + m.LabelPluginVersion);
        SetText(ids::kMemoPluginComment, WithCrLf(m.MemoPluginComment));

        for (int i = 0; i < 10; ++i) {
            const PatrolField& field = m.EditJunkai[static_cast<std::size_t>(i)];
            SetText(ids::kLabelJunkai1 + i, field.label);
            ::EnableWindow(Item(ids::kLabelJunkai1 + i), field.enabled);
            // A disabled box has the dialog's face colour: a field the plugin
            // does not use.
            ::EnableWindow(Item(ids::kEditJunkai1 + i), field.enabled);
            SetText(ids::kEditJunkai1 + i, field.text);
        }

        ::SendMessageW(Item(ids::kComboBoxCharSet), CB_SETCURSEL,
                       static_cast<WPARAM>(m.ComboBoxCharSet), 0);
        SetText(ids::kMemoSignature, WithCrLf(m.MemoSignature));

        Check(ids::kCheckBoxHikitugiSubject, m.CheckBoxHikitugiSubject);
        subject_.Show(dialog_);
        Check(ids::kCheckBoxHikitugiBBSTitle, m.CheckBoxHikitugiBBSTitle);
        title_.Show(dialog_);
        SetNumberRange(ids::kSpinEditThreadNumber, 0, std::max(0, m.ThreadNumberMax));
        ::SetDlgItemInt(dialog_, ids::kSpinEditThreadNumber,
                        static_cast<UINT>(m.SpinEditThreadNumber), FALSE);
        Check(ids::kCheckBoxSaveNumber, m.CheckBoxSaveNumber);
        refreshing_ = false;
        ShowVisible();
    }

    // Which controls are up: those of the page in front (and of the inner
    // page in front on "詳細2"), as far as the model lets them be seen.
    void ShowVisible() {
        const TFormGroup& m = model_;
        const int outer = static_cast<int>(m.ActivePage);
        ShowPages(
            [&](HWND control, int page) {
                const int id = ::GetDlgCtrlID(control);
                if (id == ids::kEditKeijibanName || id == ids::kButtonMakeFolder)
                    return m.NewGroupControlsVisible;
                if (id == ids::kComboBoxKeijibanName) return m.GroupListVisible;
                if (page == kEveryPage) return id != ids::kPageControl1 || m.PagesVisible;
                if (!m.PagesVisible) return false;
                if (page < kSubjectPage) return page == outer;
                if (outer != kDetail2Page || page != kSubjectPage + inner_page_) return false;
                if (InPanel(id, ids::kSubjectPanel)) return !m.CheckBoxHikitugiSubject;
                if (InPanel(id, ids::kTitlePanel)) return !m.CheckBoxHikitugiBBSTitle;
                if (id == ids::kButtonTorikomi) return m.ButtonTorikomiVisible;
                return true;
            },
            Item(m.PagesVisible ? ids::kPageControl1 : ids::kEditKeijibanName));
    }

    void SetText(int id, std::string_view cp932) {
        // Only a change: setting a box's text moves its caret to the start.
        if (Cp932Text(Item(id)) != cp932) SetCp932Text(Item(id), cp932);
    }

    void Check(int id, bool on) { ::CheckDlgButton(dialog_, id, on ? BST_CHECKED : BST_UNCHECKED); }

    void FillList(int id, const std::vector<std::string>& items, int selected) {
        HWND list = Item(id);
        ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : items)
            ::SendMessageW(list, CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(ShownText(item).c_str()));
        ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
    }

    // --- Controls into the model --------------------------------------------
    // Runs a model handler and shows the model again; a handler that loaded
    // the later pages also builds the plugin's page anew.
    template <typename Handler>
    void Run(Handler&& handler) {
        const bool loaded = model_.PagesLoaded();
        handler();
        if (!loaded && model_.PagesLoaded()) parameters_.Rebuild();
        Refresh();
    }

    // A typed text into `field`; refused text leaves the box showing the field.
    bool Take(int id, std::string& field) {
        refreshing_ = true;  // the box set back is no typing
        const bool taken = TakeTypedText(Item(id), field, services_);
        refreshing_ = false;
        return taken;
    }

    bool Checked(int id) const { return ::IsDlgButtonChecked(dialog_, id) == BST_CHECKED; }
    int Selected(int id) const {
        return static_cast<int>(::SendMessageW(Item(id), CB_GETCURSEL, 0, 0));
    }

    void Command(int id, int code) override {
        if (subject_.Command(dialog_, id, code, services_) ||
            title_.Command(dialog_, id, code, services_))
            return;
        if (code == EN_CHANGE) {
            Typed(id);
        } else if (code == CBN_SELCHANGE) {
            Chosen(id);
        } else if (code == BN_CLICKED) {
            Clicked(id);
        }
    }

    void Typed(int id) {
        if (id == ids::kEditKeijibanName) {
            Take(id, model_.EditKeijibanName);
        } else if (id == ids::kEditNameHenko) {
            if (Take(id, model_.EditNameHenko.text)) model_.EditNameHenko.modified = true;
        } else if (id >= ids::kEditJunkai1 && id < ids::kEditJunkai1 + 10) {
            Take(id, model_.EditJunkai[static_cast<std::size_t>(id - ids::kEditJunkai1)].text);
        } else if (id == ids::kSpinEditThreadNumber) {
            BOOL ok = FALSE;
            const UINT value = ::GetDlgItemInt(dialog_, id, &ok, FALSE);
            if (ok)
                model_.SpinEditThreadNumber =
                    std::clamp(static_cast<int>(value), 0, std::max(0, model_.ThreadNumberMax));
        }
    }

    void Chosen(int id) {
        if (id == ids::kComboBoxKeijibanName) {
            model_.KeijibanIndex = Selected(id);
            Run([this] { model_.ComboBoxKeijibanNameChange(); });
        } else if (id == ids::kComboBoxPluginName) {
            model_.PluginIndex = Selected(id);
            Run([this] { model_.ComboBoxPluginNameChange(); });
        } else if (id == ids::kComboBoxCharSet) {
            model_.ComboBoxCharSet = Selected(id);
        }
    }

    void Clicked(int id) {
        switch (id) {
            case ids::kButtonMakeFolder:
                Run([this] { model_.ButtonMakeFolderClick(); });
                if (!model_.NewGroupControlsVisible) ::SetFocus(Item(ids::kComboBoxPluginName));
                break;
            case ids::kCheckBoxJunkai:
                model_.CheckBoxJunkai = Checked(id);
                break;
            case ids::kButtonPluginHelp:
                Run([this] { model_.ButtonPluginHelpClick(); });
                break;
            case ids::kCheckBoxHikitugiSubject:
                model_.CheckBoxHikitugiSubject = Checked(id);
                ShowVisible();
                break;
            case ids::kCheckBoxHikitugiBBSTitle:
                model_.CheckBoxHikitugiBBSTitle = Checked(id);
                ShowVisible();
                break;
            case ids::kCheckBoxSaveNumber:
                model_.CheckBoxSaveNumber = Checked(id);
                break;
            case ids::kButtonTorikomi:
                Run([this] { model_.ButtonTorikomiClick(); });
                break;
            case ids::kOK:
                Ok();
                break;
            case ids::kCancel:
                ::EndDialog(dialog_, IDCANCEL);
                break;
            default:
                break;
        }
    }

    void PageChosen(int tab_control_id, int page) override {
        if (tab_control_id == ids::kPageControl2) {
            inner_page_ = page;
            ShowVisible();
            return;
        }
        // A text box of the plugin's page left open is taken before the page
        // goes; a value it refuses keeps the user on the page.
        if (model_.ActivePage == GroupPage::kDetail && !parameters_.CommitOpenEditor()) {
            SelectTab(ids::kPageControl1, static_cast<int>(GroupPage::kDetail));
            return;
        }
        // Leaving the first page with the pages not loaded builds the plugin's
        // items anew: the page lets go of the old ones first.
        if (!model_.PagesLoaded() && model_.ActivePage == GroupPage::kBasic) parameters_.Clear();
        Run([&] { model_.PageControl1Change(static_cast<GroupPage>(page)); });
        if (model_.FocusParameterPage) {
            model_.FocusParameterPage = false;
            parameters_.Focus();
        }
    }

    void Ok() {
        if (!parameters_.CommitOpenEditor()) return;
        bool close = false;
        Run([&] { close = model_.ButtonOKClick(); });
        if (close) ::EndDialog(dialog_, IDOK);
    }

    TFormGroup& model_;
    PropertyPageWindow parameters_;
    SubjectPanelControls subject_{model_.TFrameSubjectFrame1, ids::kSubjectPanel};
    TitlePanelControls title_{model_.TFrameBBSTitleFrame1, ids::kTitlePanel};
    int inner_page_ = 0;
};

}  // namespace

void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups,
                               void* owner) {
    // A handle that names no window (a host's stale one) would make the dialog
    // fail altogether: the dialog is shown without an owner instead.
    HWND host = static_cast<HWND>(owner);
    if (host && !::IsWindow(host)) host = nullptr;
    WindowDialogServices services(host);
    EditGroupProperty(account_path, std::move(groups), services, [&](TFormGroup& model) {
        GroupDialogView view(model, services);
        return view.Run(host);
    });
}

}  // namespace drwa::dialogs::win32
