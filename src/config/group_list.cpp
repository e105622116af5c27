#include "config/group_list.h"

#include <limits>

#include "config/folders.h"
#include "config/settings_keys.h"
#include "text/sjis_bytes.h"

namespace drwa::config {

std::int32_t GroupCount(const IniFile& account) {
    return account.ReadInteger(keys::kPlugin, keys::kGroupCount, 0);
}

std::string FolderNameOf(const IniFile& account, std::int32_t index) {
    // index + 1 must not overflow: the host's index comes straight from it.
    if (index < 0 || index == std::numeric_limits<std::int32_t>::max()) return {};
    return account.ReadString(GroupSection(index + 1), keys::kFolderName, "");
}

std::string GroupSettingsPath(std::string_view data_folder, std::string_view folder_name) {
    return FileIn(GroupFolder(data_folder, folder_name), kGroupSettingsFile);
}

GroupProperty ReadGroupProperty(const IniFile& account, std::int32_t index) {
    GroupProperty property;
    property.name = FolderNameOf(account, index);
    if (property.name.empty()) return property;
    IniFile group(GroupSettingsPath(GetDataFolder(account), property.name));
    property.read_position = group.ReadString(keys::kBasic, keys::kParam2, "");
    return property;
}

bool ReadGroupEnabled(const IniFile& account, std::int32_t index) {
    const std::string name = FolderNameOf(account, index);
    if (name.empty()) return false;
    IniFile group(GroupSettingsPath(GetDataFolder(account), name));
    return group.ReadBool(keys::kBasic, keys::kBbsFolder, false);
}

void WriteGroupsEnabled(const IniFile& account, std::span<const std::int32_t> indexes,
                        bool enabled) {
    const std::string data = GetDataFolder(account);
    for (std::int32_t index : indexes) {
        const std::string name = FolderNameOf(account, index);
        if (name.empty()) return;
        IniFile group(GroupSettingsPath(data, name));
        group.WriteBool(keys::kBasic, keys::kBbsFolder, enabled);
    }
}

bool IsInsideDataFolder(std::string_view folder_name) {
    // Neither byte is ever part of a double-byte character: look at them all.
    if (folder_name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos)
        return false;
    std::size_t level_start = 0;
    auto level_ok = [&](std::size_t end) {
        std::string_view level = folder_name.substr(level_start, end - level_start);
        return !level.empty() && level != "." && level != "..";
    };
    for (std::size_t i = 0; i < folder_name.size(); i += text::SjisCharLength(folder_name, i)) {
        if (folder_name[i] == '\\') {
            if (!level_ok(i)) return false;
            level_start = i + 1;
        }
    }
    return level_ok(folder_name.size());
}

}  // namespace drwa::config
