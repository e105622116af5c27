// Reading the account's group list, as the last rebuild wrote it, and the few
// group settings the list exports read and write. The host addresses a group
// by its 0-based index; the group's section is index + 1 ("00001" for 0).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::config {

// GROUP_COUNT of section PLUGIN (default 0).
std::int32_t GroupCount(const IniFile& account);

// FOLDER_NAME of the group at `index`: the group folder relative to the data
// folder, "\" between the levels of a nested group. Empty when the section has
// none, and for an index that names no section (negative, or past the
// largest section number).
std::string FolderNameOf(const IniFile& account, std::int32_t index);

// data folder + folder name + "drwa_BBS.ini", native.
std::string GroupSettingsPath(std::string_view data_folder, std::string_view folder_name);

// What the host's group list shows of one group.
struct GroupProperty {
    std::string name;           // FOLDER_NAME
    std::string read_position;  // PARAM2 of section BASIC
};
// Both empty for an empty FOLDER_NAME.
GroupProperty ReadGroupProperty(const IniFile& account, std::int32_t index);

// BBSFOLDER of the group's settings; false for an empty FOLDER_NAME or a
// missing settings file.
bool ReadGroupEnabled(const IniFile& account, std::int32_t index);

// Writes BBSFOLDER of the listed groups in order, stopping without complaint at
// the first index whose FOLDER_NAME is empty: the groups after it keep their
// flag. Fails with "<path> に書き込めません" on a refused write; the groups
// before it stay written.
void WriteGroupsEnabled(const IniFile& account, std::span<const std::int32_t> indexes,
                        bool enabled);

// True when a stored folder name names a folder inside the data folder: every
// "\"-separated level non-empty, none "." or "..", no "/" and no NUL. Names
// the rebuild writes always pass; a hand-edited one might not.
bool IsInsideDataFolder(std::string_view folder_name);

}  // namespace drwa::config
