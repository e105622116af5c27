// The menu the host offers on its group list: each entry hands the board's
// address, the group folder or one of its logs to the desktop's default
// handler. On Windows the folder went to the file explorer; here the default
// handler of a folder is the user's file manager.
#include <array>
#include <optional>
#include <string>

#include "config/folders.h"
#include "config/group_list.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "drwa_plugin.h"
#include "platform/files.h"
#include "platform/open_handler.h"
#include "plugin/menu_items.h"

namespace drwa::plugin {
namespace {

enum class Target { kBoardUrl, kGroupFolder, kGroupFile };

struct MenuCommand {
    Target target;
    std::string_view file;  // kGroupFile: its name in the group folder
};

// Indexed by MenuItem, in the order of kMenuTexts.
constexpr std::array<MenuCommand, 4> kMenuCommands{{
    {Target::kBoardUrl, {}},
    {Target::kGroupFolder, {}},
    {Target::kGroupFile, config::kErrorLogFile},
    {Target::kGroupFile, config::kSendLogFile},
}};
static_assert(kMenuCommands.size() == kMenuTexts.size());

// What the command opens for one group: nothing when its URL is empty or its
// folder or file does not exist.
std::optional<std::string> TargetOf(const MenuCommand& command, const config::IniFile& account,
                                    std::int32_t index) {
    const std::string folder =
        config::GroupFolder(config::GetDataFolder(account), config::FolderNameOf(account, index));
    switch (command.target) {
        case Target::kBoardUrl: {
            config::IniFile group(config::FileIn(folder, config::kGroupSettingsFile));
            std::string url = group.ReadString(config::keys::kBasic, config::keys::kUrl, "");
            if (url.empty()) return std::nullopt;
            return url;
        }
        case Target::kGroupFolder:
            if (!platform::FolderExists(folder)) return std::nullopt;
            // Absolute, so that the opener never takes a path for an option.
            return platform::AbsolutePath(folder);
        case Target::kGroupFile: {
            const std::string file = config::FileIn(folder, command.file);
            if (!platform::FileExists(file)) return std::nullopt;
            return platform::AbsolutePath(file);
        }
    }
    return std::nullopt;
}

}  // namespace
}  // namespace drwa::plugin

using namespace drwa;

extern "C" {

// Reports nothing, not even through the error record: a group that does not
// meet the entry's condition is passed over, and so is one whose settings
// cannot be read. Nothing may escape into the host either.
int32_t DRWA_CALL OnMenuItemClick(DrwaWindow /*window*/, const char* account_path, int32_t item,
                                  const int32_t* groups, int32_t count) {
    if (!account_path || !groups || item < 0 ||
        static_cast<std::size_t>(item) >= plugin::kMenuCommands.size())
        return 0;
    const plugin::MenuCommand& command = plugin::kMenuCommands[static_cast<std::size_t>(item)];
    try {
        const config::IniFile account(account_path);
        for (int32_t i = 0; i < count; ++i) {
            try {
                if (auto target = plugin::TargetOf(command, account, groups[i]))
                    platform::OpenWithDefaultHandler(*target);
            } catch (...) {
                // The next group is still served, as the host's shell call would.
            }
        }
    } catch (...) {
    }
    return 0;
}

}  // extern "C"
