// new-account, show-group and set-group. Unlike the other commands these work
// on the settings files themselves, through the library's own settings code
// (the dialogs' and the INI rules'), never through a second writer of ours.
// This file is compiled to CP932 like the library, as the settings headers it
// includes hold CP932 texts; its own texts are ASCII.
#include "setup_commands.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "config/group_list.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "config/text_helpers.h"
#include "dialogs/account_dialog.h"
#include "dialogs/board_group_name.h"
#include "dialogs/edit_group_property.h"
#include "host_system.h"
#include "platform/question.h"
#include "receive/board_question.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

namespace fs = std::filesystem;
namespace keys = drwa::config::keys;

// The settings code fails with CP932 messages; the terminal reads UTF-8.
template <typename Fn>
auto InUtf8(Fn&& fn) {
    try {
        return fn();
    } catch (const drwa::Error& e) {
        throw std::runtime_error(ToUtf8(e.what()));
    }
}

// No display: the dialog's questions go to the terminal, and there is
// nothing to browse or open. A dialog's handlers never throw: they show their
// failure, which is kept here so that the command fails with it.
class TerminalDialogServices final : public drwa::dialogs::DialogServices {
  public:
    drwa::platform::Answer AskOkCancel(std::string_view text) override {
        return drwa::platform::UserQuestions().AskOkCancel(text);
    }
    bool AskYesNo(std::string_view text) override {
        return drwa::platform::UserQuestions().AskYesNo(text);
    }
    void ShowError(std::string_view text) override {
        if (!error_) error_ = std::string(text);
    }
    void ShowInformation(std::string_view text) override {
        drwa::platform::UserQuestions().ShowInformation(text);
    }
    std::vector<std::string> ChooseFilesToOpen(std::string_view, std::string_view) override {
        return {};
    }
    bool OpenWithDefaultHandler(std::string_view) override { return false; }

    // Throws the first failure a handler showed, in UTF-8.
    void ThrowShownError() const {
        if (error_) throw std::runtime_error(ToUtf8(*error_));
    }

  private:
    std::optional<std::string> error_;
};

// The sample plugins: installed beside the program, else this build's
// source tree (where `make demo` takes them from).
std::optional<fs::path> SamplePluginFolder() {
    const fs::path bin = fs::absolute(ProgramFolder());
    for (const fs::path& candidate :
         {bin.parent_path() / "share" / "drwa" / "plugins", fs::path(DRWA_SOURCE_PLUGINS)}) {
        std::error_code ec;
        if (fs::is_directory(candidate, ec)) return candidate.lexically_normal();
    }
    return std::nullopt;
}

// The group at `number` (checked against GROUP_COUNT by main): its stored
// folder name and the path of its settings file, both CP932.
struct GroupSettings {
    int32_t index;
    std::string folder_name;
    std::string path;
};

GroupSettings FindGroup(const HostContext& host, const std::string& number) {
    const int32_t index = ParseGroupIndexes({number}, 0).front();
    return InUtf8([&] {
        const drwa::config::IniFile account{host.Account()};
        GroupSettings g{index, drwa::config::FolderNameOf(account, index), {}};
        // A hand-edited FOLDER_NAME must not lead a write out of the account.
        if (g.folder_name.empty() || !drwa::config::IsInsideDataFolder(g.folder_name))
            throw std::runtime_error("group " + number +
                                     " has no usable FOLDER_NAME in the account file; "
                                     "`drwa-host edit-account` rebuilds the group list");
        g.path =
            drwa::config::GroupSettingsPath(drwa::config::GetDataFolder(account), g.folder_name);
        if (!fs::is_regular_file(ToUtf8(g.path)))
            throw std::runtime_error("group " + number + " has no settings file " + ToUtf8(g.path));
        return g;
    });
}

struct Assignment {
    std::string section, key, value;  // CP932
    std::string shown;                // as typed
};

// One KEY=VALUE or SECTION.KEY=VALUE. Names that would end the line, open a
// section or start a comment are refused, and so is a value of several lines:
// written into the file either would become settings of its own.
Assignment ParseAssignment(const std::string& text) {
    const auto eq = text.find('=');
    if (eq == std::string::npos || eq == 0)
        throw std::runtime_error("expected KEY=VALUE or SECTION.KEY=VALUE, got \"" + text + "\"");
    const std::string name = text.substr(0, eq), value = text.substr(eq + 1);
    const auto dot = name.find('.');
    Assignment a;
    a.section = dot == std::string::npos ? std::string(keys::kBasic) : name.substr(0, dot);
    a.key = dot == std::string::npos ? name : name.substr(dot + 1);
    a.shown = text;
    for (const std::string* part : {&a.section, &a.key})
        if (part->empty() || part->find_first_of("[]=\r\n") != std::string::npos ||
            part->front() == ';' || part->front() == ' ' || part->back() == ' ')
            throw std::runtime_error("\"" + name + "\" is not a setting's name");
    if (value.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error("the value of " + name + " must be one line");
    try {
        a.section = ToCp932(a.section);
        a.key = ToCp932(a.key);
        a.value = ToCp932(value);
    } catch (const std::runtime_error&) {
        throw std::runtime_error(name +
                                 " has a character that Shift_JIS (CP932) cannot hold, "
                                 "and the settings files are Shift_JIS");
    }
    return a;
}

// A board's group name when none is given: the last part of its address
// ("https://example.org/news/" gives "news"), else the address's host.
std::string NameFromUrl(const std::string& url) {
    std::string rest = url.substr(url.find("://") == std::string::npos ? 0 : url.find("://") + 3);
    while (!rest.empty() && rest.back() == '/') rest.pop_back();
    const auto query = rest.find_first_of("?#");
    if (query != std::string::npos) rest.resize(query);
    const auto slash = rest.rfind('/');
    return slash == std::string::npos ? rest : rest.substr(slash + 1);
}

// The plugin of the account's plugin folder that says it reads `url`, with
// the board's title (CP932) as it answered. Exactly one must say yes: with
// none or several the user chooses by --plugin.
struct BoardPlugin {
    std::string name;   // UTF-8
    std::string title;  // CP932
};

BoardPlugin AskPluginsForBoard(const HostContext& host, const std::string& url) {
    return InUtf8([&] {
        const drwa::config::IniFile account{host.Account()};
        const std::string folder = account.ReadString(keys::kPlugin, keys::kPluginFolder, "");
        const auto plugins = drwa::config::ListArticlePlugins(folder);
        std::string asked;
        for (const auto& p : plugins) asked += (asked.empty() ? "" : ", ") + ToUtf8(p.name);
        if (plugins.empty())
            throw std::runtime_error("add-board: the account's plugin folder " + ToUtf8(folder) +
                                     " has no plugins to ask which reads " + url);
        // Run beside the account file: a plugin asked about a board has no
        // group folder yet, and must not write into one.
        const std::string where = ToCp932(fs::path(ToUtf8(host.Account())).parent_path().string());
        std::vector<BoardPlugin> yes;
        for (const auto& p : plugins)
            if (auto title = drwa::receive::AskPluginForBoard(account, p, ToCp932(url), where))
                yes.push_back({ToUtf8(p.name), std::move(*title)});
        if (yes.empty())
            throw std::runtime_error("add-board: no plugin says it reads " + url +
                                     " (asked: " + asked +
                                     "): check the address; a board no plugin "
                                     "recognises needs --plugin NAME");
        if (yes.size() > 1) {
            std::string names;
            for (const auto& b : yes) names += (names.empty() ? "" : ", ") + b.name;
            throw std::runtime_error("add-board: several plugins say they read " + url + ": " +
                                     names + "; choose one with --plugin NAME");
        }
        return yes.front();
    });
}

}  // namespace

int RunNewAccount(HostContext& host, const std::vector<std::string>& args) {
    std::optional<fs::path> plugins;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--plugins" && i + 1 < args.size())
            plugins = fs::absolute(args[++i]).lexically_normal();
        else
            throw std::runtime_error("new-account: unexpected \"" + args[i] +
                                     "\" (usage: new-account [--plugins DIR])");
    }
    if (!plugins) plugins = SamplePluginFolder();
    if (!plugins)
        throw std::runtime_error(
            "new-account: no sample plugin folder found; name one with --plugins DIR");
    if (!fs::is_directory(*plugins))
        throw std::runtime_error("new-account: the plugin folder " + plugins->string() +
                                 " is not a folder");
    const std::string plugin_folder = ToCp932(plugins->string());

    const fs::path account = ToUtf8(host.Account());
    if (fs::exists(account))
        throw std::runtime_error("new-account: " + account.string() +
                                 " exists already; new-account never overwrites an account "
                                 "(edit-account changes one)");
    const fs::path folder = account.parent_path();
    const bool made_folder = fs::create_directories(folder);

    // The account dialog on the new file, closed with OK after the plugin
    // folder was chosen: its own defaults, its own checks, its own writes.
    // What fails halfway is taken back, so that a second try is not refused.
    try {
        TerminalDialogServices services;
        InUtf8([&] {
            drwa::dialogs::EditAccount(host.Account(), services,
                                       [&](drwa::dialogs::TFormAccount& dialog) {
                                           dialog.EditDRWAPluginFolder = plugin_folder;
                                           return dialog.ButtonOKClick();
                                       });
        });
        services.ThrowShownError();
        if (!fs::exists(account)) throw std::runtime_error("the account file was not written");
    } catch (...) {
        std::error_code ec;
        fs::remove(account, ec);
        if (made_folder) fs::remove(folder, ec);
        throw;
    }
    if (made_folder) Print(stdout, "made the folder %s\n", folder.c_str());
    Print(stdout, "made the account file %s\n", account.c_str());
    Print(stdout, "plugin folder: %s\n", plugins->c_str());
    return 0;
}

int RunShowGroup(HostContext& host, const std::vector<std::string>& args) {
    const GroupSettings g = FindGroup(host, args.at(0));
    Print(stdout, "; group %d: %s\n; %s\n", static_cast<int>(g.index),
          ToUtf8(g.folder_name).c_str(), ToUtf8(g.path).c_str());
    InUtf8([&] {
        const drwa::config::IniFile settings{g.path};
        for (const std::string& section : settings.ReadSections()) {
            Print(stdout, "[%s]\n", ToUtf8(section).c_str());
            for (const std::string& key : settings.ReadSection(section))
                Print(stdout, "%s=%s\n", ToUtf8(key).c_str(),
                      ToUtf8(settings.ReadString(section, key, "")).c_str());
        }
    });
    return 0;
}

int RunSetGroup(HostContext& host, const std::vector<std::string>& args) {
    const GroupSettings g = FindGroup(host, args.at(0));
    // Every assignment is checked before the first is written: a slip in the
    // last one leaves the file as it was.
    std::vector<Assignment> assignments;
    for (std::size_t i = 1; i < args.size(); ++i) assignments.push_back(ParseAssignment(args[i]));
    InUtf8([&] {
        drwa::config::IniFile settings{g.path};
        for (const Assignment& a : assignments) {
            settings.WriteString(a.section, a.key, a.value);
            Print(stdout, "group %d (%s): %s\n", static_cast<int>(g.index),
                  ToUtf8(g.folder_name).c_str(), a.shown.c_str());
        }
    });
    return 0;
}

int RunAddBoard(HostContext& host, const std::vector<std::string>& args) {
    std::string url, name, plugin;
    std::vector<Assignment> sets;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--plugin" && has_value)
            plugin = args[++i];
        else if (args[i] == "--name" && has_value)
            name = args[++i];
        else if (args[i] == "--set" && has_value)
            sets.push_back(ParseAssignment(args[++i]));
        else if (url.empty() && args[i].rfind("--", 0) != 0)
            url = args[i];
        else
            throw std::runtime_error("add-board: unexpected \"" + args[i] +
                                     "\" (usage: add-board URL [--plugin NAME] [--name NAME] "
                                     "[--set KEY=VALUE...])");
    }
    if (url.empty() || url.find_first_of("\r\n") != std::string::npos)
        throw std::runtime_error("add-board: the board's URL is missing (one line)");
    const bool asked = plugin.empty();
    if (asked) {
        const BoardPlugin found = AskPluginsForBoard(host, url);
        plugin = found.name;
        Print(stdout, "the plugin %s reads %s\n", plugin.c_str(), url.c_str());
        if (name.empty()) {
            name = ToUtf8(drwa::dialogs::GroupNameFromTitle(found.title));
            // A title in another code (a board kept in EUC-JP) has bytes that
            // show as "?", which a name made from a title never holds otherwise.
            if (name.find('?') != std::string::npos) name.clear();
            if (!name.empty())
                Print(stdout, "no --name: the group is named %s after the board's title \"%s\"\n",
                      name.c_str(), ToUtf8(found.title).c_str());
        }
    }
    if (name.empty()) {
        name = NameFromUrl(url);
        if (asked)
            Print(stdout, "no --name: the group is named %s after the board's address\n",
                  name.c_str());
    }
    const std::string url_cp932 = ToCp932(url), name_cp932 = ToCp932(name);

    // The group dialog in new-group mode, used as a user would: the name and
    // "make", the plugin chosen, receiving ticked, the patrol page opened
    // (the plugin's own settings taken from it), the URL typed, OK.
    TerminalDialogServices services;
    std::string folder_name, existing;
    std::vector<std::string> plugins;
    InUtf8([&] {
        drwa::dialogs::EditGroupProperty(
            host.Account(), {}, services, [&](drwa::dialogs::TFormGroup& dialog) {
                for (const auto& p : dialog.ComboBoxPluginName) plugins.push_back(ToUtf8(p.name));
                int index = -1;
                for (std::size_t i = 0; i < dialog.ComboBoxPluginName.size(); ++i)
                    if (drwa::config::SameTextNoCase(dialog.ComboBoxPluginName[i].name,
                                                     ToCp932(plugin)))
                        index = static_cast<int>(i);
                if (index < 0) return false;  // said below, with the plugins there are
                plugin = ToUtf8(dialog.ComboBoxPluginName[index].name);
                // "Make" on the name of a group there is opens that group and
                // writes the new board over its settings: refused here.
                const std::string upper =
                    drwa::config::UpperCaseSjis(drwa::config::TrimText(name_cp932));
                if (!upper.empty() && fs::exists(ToUtf8(drwa::config::GroupSettingsPath(
                                          dialog.DataFolder(), upper)))) {
                    existing = ToUtf8(upper);
                    return false;
                }
                dialog.EditKeijibanName = name_cp932;
                dialog.ButtonMakeFolderClick();
                if (!dialog.GroupSettings()) return false;
                folder_name = dialog.ComboBoxKeijibanName.back();
                dialog.PluginIndex = index;
                dialog.ComboBoxPluginNameChange();
                dialog.CheckBoxJunkai = true;
                dialog.PageControl1Change(drwa::dialogs::GroupPage::kPatrol);
                dialog.EditJunkai[0].text = url_cp932;
                return dialog.ButtonOKClick();
            });
    });
    try {
        services.ThrowShownError();
    } catch (const std::runtime_error& e) {
        if (folder_name.empty()) throw;
        throw std::runtime_error(
            std::string(e.what()) + "\n(the group folder " + ToUtf8(folder_name) +
            " was made all the same: set-group finishes it, delete removes it)");
    }
    if (!existing.empty())
        throw std::runtime_error("add-board: there is a group " + existing +
                                 " already; set-group changes its settings, --name NAME "
                                 "gives the new one another name");
    if (folder_name.empty()) {
        std::string known;
        for (const std::string& p : plugins) known += (known.empty() ? "" : ", ") + p;
        throw std::runtime_error(
            "add-board: there is no plugin \"" + plugin + "\"" +
            "; the account's plugin folder has: " + (known.empty() ? "none" : known));
    }

    // --set: written as show-group/set-group would, after the dialog's own writes.
    const drwa::config::IniFile account{host.Account()};
    const std::string path = drwa::config::GroupSettingsPath(
        InUtf8([&] { return drwa::config::GetDataFolder(account); }), folder_name);
    InUtf8([&] {
        drwa::config::IniFile settings{path};
        for (const Assignment& a : sets) settings.WriteString(a.section, a.key, a.value);
    });
    Print(stdout, "made the group %s (%s) for %s with the plugin %s\n", ToUtf8(folder_name).c_str(),
          ToUtf8(path).c_str(), url.c_str(), plugin.c_str());
    return 0;
}

}  // namespace drwa_host
