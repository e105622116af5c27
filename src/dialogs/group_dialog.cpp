#include "dialogs/group_dialog.h"

#include <algorithm>
#include <new>

#include "common/error.h"
#include "config/folders.h"
#include "config/settings_keys.h"
#include "config/text_helpers.h"
#include "convert/article_converter.h"
#include "dialogs/group_dialog_texts.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "plugin_files/file_info.h"
#include "plugin_files/plugin_header.h"
#include "receive/plugin_command_line.h"

namespace drwa::dialogs {
namespace {

namespace keys = config::keys;
using config::SameTextNoCase;
using plugin_files::ExtractDialogBlock;
using plugin_files::ParsePluginHeader;
using plugin_files::PluginHeader;
using plugin_files::TFileInfo;
using plugin_files::VersionString;

// Keys of an earlier layout that the dialog removes when it opens a group.
constexpr std::array<std::string_view, 2> kRetiredKeys{"TITLE_IS_GROUPNAME", "ADDRESS_IN_CC"};

std::vector<std::string> ReadLines(std::string_view path) {
    const auto bytes = platform::ReadFile(path);
    return bytes ? config::SplitLines(*bytes) : std::vector<std::string>{};
}

bool ContainsBackslash(std::string_view name) {
    return config::FindSjis(name, "\\") != std::string_view::npos;
}

}  // namespace

TFormGroup::TFormGroup(std::string account_path, std::vector<std::int32_t> groups,
                       DialogServices& services)
    : account_path_(std::move(account_path)), groups_(std::move(groups)), services_(services) {
    for (std::size_t i = 0; i < EditJunkai.size(); ++i)
        EditJunkai[i].label = group_texts::kPatrolLabels[i];
}

TFormGroup::~TFormGroup() = default;

// A failure inside an event handler is the user's to read; the dialog stays.
template <typename Body>
void TFormGroup::Guarded(Body&& body) {
    try {
        body();
    } catch (const Error& e) {
        services_.ShowError(e.what());
    } catch (const std::bad_alloc&) {
        services_.ShowError("メモリが不足しています");
    }
}

std::string TFormGroup::DataFolder() const {
    return account_ ? config::GetDataFolder(*account_) : std::string();
}

std::string TFormGroup::PluginFolder() const {
    return account_ ? account_->ReadString(keys::kPlugin, keys::kPluginFolder, "") : std::string();
}

std::string TFormGroup::SelectedGroupName() const {
    if (KeijibanIndex < 0 || KeijibanIndex >= static_cast<int>(ComboBoxKeijibanName.size()))
        return {};
    return ComboBoxKeijibanName[KeijibanIndex];
}

std::string TFormGroup::SelectedGroupFolder() const {
    const std::string name = SelectedGroupName();
    return name.empty() ? std::string() : config::GroupFolder(DataFolder(), name);
}

std::string TFormGroup::SelectedPluginPath() const {
    if (PluginIndex < 0 || PluginIndex >= static_cast<int>(ComboBoxPluginName.size())) return {};
    const config::ArticlePlugin& plugin = ComboBoxPluginName[PluginIndex];
    return config::WithTrailingDelimiter(PluginFolder()) + "cm_" + plugin.name +
           std::string(config::PluginExtension(plugin.kind));
}

void TFormGroup::FormShow() {
    Guarded([&] {
        account_ = std::make_unique<config::IniFile>(account_path_);
        group_.reset();
        ComboBoxPluginName = config::ListArticlePlugins(PluginFolder());
        PluginIndex = -1;

        if (NewGroupMode()) {
            NewGroupControlsVisible = true;
            GroupListVisible = false;
            PagesVisible = false;
            ButtonTorikomiVisible = false;
            ButtonOKEnabled = false;
            RenameEnabled = false;
        } else {
            NewGroupControlsVisible = false;
            ComboBoxKeijibanName.clear();
            for (std::int32_t index : groups_) {
                const std::string name =
                    account_->ReadString(config::GroupSection(index + 1), keys::kFolderName, "");
                // An index the host kept from before a rebuild names no group;
                // an empty name would stand for the data folder itself.
                if (!name.empty()) ComboBoxKeijibanName.push_back(name);
            }
            GroupListVisible = true;
            PagesVisible = true;
            ButtonTorikomiVisible = true;
            ButtonOKEnabled = true;
            RenameEnabled =
                ComboBoxKeijibanName.size() == 1 && !ContainsBackslash(ComboBoxKeijibanName[0]);
            KeijibanIndex = ComboBoxKeijibanName.empty() ? -1 : 0;
        }
    });
    ComboBoxKeijibanNameChange();
    Guarded([&] {
        if (group_) LoadSignature();
    });
}

void TFormGroup::ButtonMakeFolderClick() {
    Guarded([&] {
        EditKeijibanName = config::UpperCaseSjis(config::TrimText(EditKeijibanName));
        config::FolderNameEdit edit{EditKeijibanName, true};
        std::string current;
        config::CommitGroupFolderName(DataFolder(), edit, current);

        NewGroupControlsVisible = false;
        ComboBoxKeijibanName.push_back(current);
        KeijibanIndex = static_cast<int>(ComboBoxKeijibanName.size()) - 1;
        GroupListVisible = true;
        PagesVisible = true;
        ButtonTorikomiVisible = true;
        ButtonOKEnabled = true;

        group_ = std::make_unique<config::IniFile>(
            config::FileIn(SelectedGroupFolder(), config::kGroupSettingsFile));
        group_->WriteBool(keys::kBasic, keys::kBbsFolder, false);
        if (group_->ReadString(keys::kBasic, keys::kGuid, "").empty())
            group_->WriteString(keys::kBasic, keys::kGuid, config::NewGuidString());
        RenameEnabled = true;
    });
}

void TFormGroup::OpenGroupSettings() {
    group_.reset();
    const std::string folder = SelectedGroupFolder();
    if (folder.empty()) return;
    group_ = std::make_unique<config::IniFile>(config::FileIn(folder, config::kGroupSettingsFile));
    for (std::string_view key : kRetiredKeys)
        if (group_->ValueExists(keys::kBasic, key)) group_->DeleteKey(keys::kBasic, key);
}

void TFormGroup::ApplyIdentityRule() {
    if (group_->ReadString(keys::kBasic, keys::kGuid, "").empty()) {
        group_->WriteString(keys::kBasic, keys::kGuid, config::NewGuidString());
    } else if (!group_->ReadBool(keys::kBasic, keys::kSubDir, false) &&
               ContainsBackslash(SelectedGroupName())) {
        group_->WriteString(keys::kBasic, keys::kGuid, config::NewGuidString());
        group_->WriteBool(keys::kBasic, keys::kSubDir, true);
    }
}

void TFormGroup::LoadSignature() {
    // A missing or unreadable signature leaves the box empty.
    const auto bytes =
        platform::ReadFile(config::FileIn(SelectedGroupFolder(), config::kSignatureFile));
    MemoSignature = bytes.value_or("");
}

void TFormGroup::ComboBoxKeijibanNameChange() {
    Guarded([&] {
        SaveGroup();
        ActivePage = GroupPage::kBasic;
        if (!ComboBoxKeijibanName.empty()) {
            OpenGroupSettings();
            if (group_) {
                CheckBoxJunkai = group_->ReadBool(keys::kBasic, keys::kBbsFolder, false);
                ApplyIdentityRule();
                const std::string lib = group_->ReadString(keys::kBasic, keys::kLib, "");
                PluginIndex = -1;
                for (std::size_t i = 0; i < ComboBoxPluginName.size(); ++i)
                    if (SameTextNoCase(ComboBoxPluginName[i].name, lib)) {
                        PluginIndex = static_cast<int>(i);
                        break;
                    }
                const std::string charset =
                    group_->ReadString(keys::kBasic, keys::kCharset, "S-JIS");
                ComboBoxCharSet = -1;
                for (std::size_t i = 0; i < group_texts::kCharSets.size(); ++i)
                    if (SameTextNoCase(group_texts::kCharSets[i], charset)) {
                        ComboBoxCharSet = static_cast<int>(i);
                        break;
                    }
                LoadSignature();
            }
        }
        if (!ComboBoxPluginName.empty() && PluginIndex < 0) PluginIndex = 0;
        if (ComboBoxCharSet < 0) ComboBoxCharSet = 0;
    });
    ComboBoxPluginNameChange();
}

void TFormGroup::ComboBoxPluginNameChange() {
    Guarded([&] {
        pages_loaded_ = false;
        LabelPluginTaiou.clear();
        LabelPluginSakusya.clear();
        LabelPluginVersion.clear();
        MemoPluginComment.clear();
        const std::string path = SelectedPluginPath();
        if (path.empty()) return;
        if (ComboBoxPluginName[PluginIndex].kind == config::PluginKind::kExe) {
            TFileInfo info;
            info.SetFileName(path);
            LabelPluginTaiou = info.Get(VersionString::kInternalName);
            LabelPluginSakusya = info.Get(VersionString::kLegalCopyright);
            LabelPluginVersion = info.Get(VersionString::kFileVersion);
            MemoPluginComment = info.Get(VersionString::kComments);
        } else {
            const PluginHeader header = ParsePluginHeader(ReadLines(path));
            LabelPluginTaiou = header.target;
            LabelPluginSakusya = header.author;
            LabelPluginVersion = header.version;
        }
    });
}

void TFormGroup::WriteSelectedPlugin() {
    if (PluginIndex < 0 || PluginIndex >= static_cast<int>(ComboBoxPluginName.size())) return;
    const config::ArticlePlugin& plugin = ComboBoxPluginName[PluginIndex];
    group_->WriteString(keys::kBasic, keys::kLib, plugin.name);
    group_->WriteInteger(keys::kBasic, keys::kLibType, static_cast<int>(plugin.kind));
}

void TFormGroup::PageControl1Change(GroupPage page) {
    const GroupPage previous = ActivePage;
    ActivePage = page;
    Guarded([&] {
        if (previous == GroupPage::kBasic && page != GroupPage::kBasic && group_) {
            // The stored page belongs to the plugin stored before: another
            // plugin must never show (and save) the old one's items.
            const std::string before = group_->ReadString(keys::kBasic, keys::kLib, "");
            WriteSelectedPlugin();
            const std::string now = group_->ReadString(keys::kBasic, keys::kLib, "");
            if (!SameTextNoCase(before, now)) group_->EraseSection(keys::kDialog);
            if (!pages_loaded_) {
                if (!CopyDialogBlock()) QueryPluginDialog();
                LoadPatrolPage();
                FramePropertyEdit1.BuildPropertyItems(*group_);
                LoadOptionsPage();
                pages_loaded_ = true;
            }
        }
        if (page == GroupPage::kDetail) FocusParameterPage = true;
    });
}

bool TFormGroup::CopyDialogBlock() {
    if (PluginIndex < 0 || PluginIndex >= static_cast<int>(ComboBoxPluginName.size())) return false;
    if (ComboBoxPluginName[PluginIndex].kind == config::PluginKind::kExe) return false;
    const auto entries = ExtractDialogBlock(ReadLines(SelectedPluginPath()));
    if (!entries) return false;
    for (const auto& [name, value] : *entries) group_->WriteString(keys::kDialog, name, value);
    return true;
}

// The plugin writes its own [DIALOG] section into the settings file of the
// folder it runs in. It gets ten seconds; a plugin that does not end in that
// time (or that mistakes the run for a receive) is stopped.
void TFormGroup::QueryPluginDialog() {
    if (PluginIndex < 0 || PluginIndex >= static_cast<int>(ComboBoxPluginName.size())) return;
    const config::ArticlePlugin& plugin = ComboBoxPluginName[PluginIndex];
    const std::string command =
        receive::PluginCommandLine(*account_, plugin.name, static_cast<int>(plugin.kind)) +
        " \"i\"";
    std::optional<platform::ChildProcess> child;
    try {
        child.emplace(command, SelectedGroupFolder());
    } catch (const Error& e) {
        throw Error(std::string(group_texts::kPluginStartFailed) + "\n" + e.what());
    }
    const std::uint64_t deadline = platform::MonotonicMs() + kPluginDialogRunMs;
    const auto discard = [](std::string_view) {};
    while (!child->HasExited()) {
        const std::uint64_t now = platform::MonotonicMs();
        if (now >= deadline) {
            child->Kill();
            throw Error(std::string(group_texts::kPluginStartFailed));
        }
        child->Wait(static_cast<int>(std::min<std::uint64_t>(deadline - now, 100)));
        child->Drain(discard, discard);
    }
    child->Drain(discard, discard);
}

void TFormGroup::LoadPatrolPage() {
    for (std::size_t i = 0; i < kPatrolKeys.size(); ++i) {
        const std::string_view key = kPatrolKeys[i];
        PatrolField& field = EditJunkai[i];
        field.label = group_->ReadString(keys::kDialog, "_" + std::string(key), "");
        field.enabled = group_->ReadBool(keys::kDialog, key, false);
        field.text = group_->ReadString(keys::kBasic, key, "");
    }
}

void TFormGroup::LoadOptionsPage() {
    CheckBoxHikitugiSubject = group_->ReadBool(keys::kOption, keys::kInhSub, true);
    TFrameSubjectFrame1.Section = keys::kOption;
    TFrameSubjectFrame1.Settings = group_.get();
    TFrameSubjectFrame1.Load();
    CheckBoxHikitugiBBSTitle = group_->ReadBool(keys::kOption, keys::kInhTitle, true);
    TFrameBBSTitleFrame1.Section = keys::kOption;
    TFrameBBSTitleFrame1.Settings = group_.get();
    TFrameBBSTitleFrame1.Load();
    ThreadNumberMax =
        account_->ReadInteger(keys::kPlugin, keys::kThreadCount, keys::kDefaultThreadCount);
    SpinEditThreadNumber = group_->ReadInteger(keys::kOption, keys::kThreadNumber, 0);
    if (SpinEditThreadNumber > ThreadNumberMax) SpinEditThreadNumber = 0;
    CheckBoxSaveNumber = group_->ReadBool(keys::kOption, keys::kSaveNumber, false);
}

void TFormGroup::SaveGroup() {
    if (!group_) return;
    group_->WriteBool(keys::kBasic, keys::kBbsFolder, CheckBoxJunkai);
    if (!ComboBoxPluginName.empty()) WriteSelectedPlugin();
    ApplyIdentityRule();
    if (pages_loaded_) {
        group_->WriteBool(keys::kOption, keys::kInhSub, CheckBoxHikitugiSubject);
        TFrameSubjectFrame1.Save();
        group_->WriteBool(keys::kOption, keys::kInhTitle, CheckBoxHikitugiBBSTitle);
        TFrameBBSTitleFrame1.Save();
        group_->WriteInteger(keys::kOption, keys::kThreadNumber, SpinEditThreadNumber);
        group_->WriteBool(keys::kOption, keys::kSaveNumber, CheckBoxSaveNumber);
        if (ComboBoxCharSet >= 0 &&
            ComboBoxCharSet < static_cast<int>(group_texts::kCharSets.size()))
            group_->WriteString(keys::kBasic, keys::kCharset,
                                group_texts::kCharSets[ComboBoxCharSet]);
        config::SaveLinesCrLf(config::SplitLines(MemoSignature),
                              config::FileIn(SelectedGroupFolder(), config::kSignatureFile));
        for (std::size_t i = 0; i < kPatrolKeys.size(); ++i)
            group_->WriteString(keys::kBasic, kPatrolKeys[i], EditJunkai[i].text);
        FramePropertyEdit1.SaveTo(keys::kBasic, *group_);
    }
    pages_loaded_ = false;
}

bool TFormGroup::ButtonOKClick() {
    bool close = false;
    Guarded([&] {
        EditNameHenko.text = config::TrimText(EditNameHenko.text);
        if (!EditNameHenko.text.empty() && !services_.AskYesNo("掲示板名は " + EditNameHenko.text +
                                                               " に変更されます\nよろしいですか"))
            return;
        SaveGroup();
        close = true;
    });
    return close;
}

void TFormGroup::ButtonPluginHelpClick() {
    Guarded([&] {
        if (PluginIndex < 0 || PluginIndex >= static_cast<int>(ComboBoxPluginName.size())) return;
        const std::string base = config::WithTrailingDelimiter(PluginFolder()) + "cm_" +
                                 ComboBoxPluginName[PluginIndex].name;
        for (std::string_view extension : {".hlp", ".chm", ".txt"}) {
            const std::string path = base + std::string(extension);
            if (platform::FileExists(path)) {
                services_.OpenWithDefaultHandler(path);
                return;
            }
        }
        throw Error(std::string(group_texts::kNoPluginHelp));
    });
}

void TFormGroup::ButtonTorikomiClick() {
    Guarded([&] {
        // The pages stay on screen with the values just saved: edits made
        // after the import must still be saved by OK.
        const bool loaded = pages_loaded_;
        SaveGroup();
        pages_loaded_ = loaded && group_;
        if (!group_) return;
        const std::vector<std::string> files =
            services_.ChooseFilesToOpen(group_texts::kImportTitle, group_texts::kImportFilter);
        if (files.empty()) return;
        const std::string spool = config::GetSpoolFolder(*account_);
        for (const std::string& file : files)
            convert::ConvertArticleFile(file, spool, *account_, *group_, false);
        services_.ShowInformation(group_texts::kImportDone);
    });
}

void TFormGroup::FormClose() {
    group_.reset();
    account_.reset();
}

}  // namespace drwa::dialogs
