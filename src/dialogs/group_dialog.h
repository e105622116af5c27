// What the group properties dialog does, with no widget toolkit: it creates a
// new group or edits listed ones, chooses the article plugin and shows what
// the plugin says about itself, fills its pages from the group settings file
// and writes them back, takes the plugin's own settings page from the plugin,
// and imports saved board logs.
//
// The public fields are the state of the controls, named as the controls are;
// the handlers are what the controls' events run. A view copies what the user
// changed into the fields before a handler and shows the fields after it.
// Handlers never throw: a failure is shown through the services as a message
// box and the dialog stays as it was.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/file_search.h"
#include "config/group_names.h"
#include "config/ini_file.h"
#include "dialogs/dialog_services.h"
#include "dialogs/format_panels.h"
#include "dialogs/property_items.h"

namespace drwa::dialogs {

enum class GroupPage { kBasic = 0, kPatrol = 1, kDetail = 2, kDetail2 = 3 };

// One of the ten patrol fields: its label, whether the plugin uses it, and
// the value.
struct PatrolField {
    std::string label;
    bool enabled = false;
    std::string text;
};

// The [BASIC] key of each patrol box, in box order 1 ... 10 (the last one is
// shown masked).
inline constexpr std::array<std::string_view, 10> kPatrolKeys{
    "URL", "UPURL", "NAME", "EMAIL", "HP", "KEY", "PARAM1", "PARAM2", "USER", "PASS"};

// How long the plugin's dialog run may take.
inline constexpr int kPluginDialogRunMs = 9999;

class TFormGroup {
  public:
    // New-group mode exactly when `groups` (the host's 0-based indexes) is
    // empty. Nothing is read before FormShow.
    TFormGroup(std::string account_path, std::vector<std::int32_t> groups,
               DialogServices& services);
    ~TFormGroup();
    TFormGroup(const TFormGroup&) = delete;
    TFormGroup& operator=(const TFormGroup&) = delete;

    bool NewGroupMode() const { return groups_.empty(); }

    // --- Controls -----------------------------------------------------------
    // Top: the name of a new group and "作成" (both visible together).
    std::string EditKeijibanName;
    bool NewGroupControlsVisible = false;
    // The listed groups' FOLDER_NAME values; the selected one is shown.
    std::vector<std::string> ComboBoxKeijibanName;
    int KeijibanIndex = -1;
    bool GroupListVisible = false;
    // Bottom: the rename box and its label, OK.
    config::FolderNameEdit EditNameHenko;
    bool RenameEnabled = false;
    bool ButtonOKEnabled = true;
    // The page control and "DRWAログ取込".
    bool PagesVisible = false;
    bool ButtonTorikomiVisible = false;
    GroupPage ActivePage = GroupPage::kBasic;
    // Set when the parameter page should take the focus (page "詳細" shown);
    // the view clears it.
    bool FocusParameterPage = false;

    // Page "基本設定".
    std::vector<config::ArticlePlugin> ComboBoxPluginName;
    int PluginIndex = -1;
    bool CheckBoxJunkai = false;
    std::string LabelPluginTaiou;  // the values after "対応：", "作者：", "バージョン："
    std::string LabelPluginSakusya;
    std::string LabelPluginVersion;
    std::string MemoPluginComment;

    // Page "巡回設定": boxes EditJunkai1 ... EditJunkai10.
    std::array<PatrolField, 10> EditJunkai;

    // Page "詳細".
    TFramePropertyEdit FramePropertyEdit1;
    int ComboBoxCharSet = -1;  // 0 "S-JIS", 1 "EUC", -1 none
    std::string MemoSignature;

    // Page "詳細2": the format panels are visible exactly when their inherit
    // box is not checked.
    bool CheckBoxHikitugiSubject = true;
    TFrameSubjectFrame TFrameSubjectFrame1;
    bool CheckBoxHikitugiBBSTitle = true;
    TFrameBBSTitleFrame TFrameBBSTitleFrame1;
    int SpinEditThreadNumber = 0;
    int ThreadNumberMax = 1;
    bool CheckBoxSaveNumber = false;

    // --- Handlers -----------------------------------------------------------
    void FormShow();
    void ButtonMakeFolderClick();
    void ComboBoxKeijibanNameChange();
    void ComboBoxPluginNameChange();
    // The page control moves to `page` (the previous page is ActivePage).
    void PageControl1Change(GroupPage page);
    void ButtonPluginHelpClick();
    void ButtonTorikomiClick();
    // True when the dialog closes with OK; false keeps it open.
    bool ButtonOKClick();
    // Both settings files are closed; nothing is written.
    void FormClose();

    // --- State the views and the outer flow read ---------------------------
    bool PagesLoaded() const { return pages_loaded_; }
    const std::string& AccountPath() const { return account_path_; }
    // The open group settings file, or none.
    config::IniFile* GroupSettings() { return group_.get(); }
    std::string DataFolder() const;
    // The folder of the selected group, or empty without one.
    std::string SelectedGroupFolder() const;
    // The plugin file of the selected plugin, or empty without one.
    std::string SelectedPluginPath() const;

    // --- Steps (public for the outer flow and tests) ------------------------
    // Writes the controls back into the open group settings file (nothing
    // without one); the later pages only when they were loaded.
    void SaveGroup();

  private:
    template <typename Body>
    void Guarded(Body&& body);

    void OpenGroupSettings();
    void ApplyIdentityRule();
    void LoadSignature();
    bool CopyDialogBlock();
    void QueryPluginDialog();
    void LoadPatrolPage();
    void LoadOptionsPage();
    void WriteSelectedPlugin();
    std::string PluginFolder() const;
    std::string SelectedGroupName() const;

    std::string account_path_;
    std::vector<std::int32_t> groups_;
    DialogServices& services_;
    std::unique_ptr<config::IniFile> account_;
    std::unique_ptr<config::IniFile> group_;
    bool pages_loaded_ = false;
};

}  // namespace drwa::dialogs
