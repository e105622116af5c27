// The folder layout of an account: where the groups and the spool live.
//
// Stored folder names keep the Windows form ("\" between the levels of a nested
// group) so that settings files move between platforms; they become native
// paths only when joined here.
#pragma once

#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::config {

// The folder part of a file path, without a trailing delimiter unless the
// folder is the root. A bare file name lies in the current folder ".".
std::string FolderOfFile(std::string_view path);

// The last component of a path: a file's or a folder's own name.
std::string NameOfPath(std::string_view path);

// How status texts and error mails name a group: the folder two levels above
// the group folder (the account's folder for a group directly in the data
// folder) and the group folder's own name.
struct GroupLabel {
    std::string base;
    std::string group;
};
GroupLabel GroupLabelOf(std::string_view group_folder);

// `path` followed by one delimiter.
std::string WithTrailingDelimiter(std::string_view path);

// Base folder + "BBS" / "spool", each ending in a delimiter. The base folder is
// `DATAFOLDER` of section `SERVER` when `SPECIFYFOLDER` is set, otherwise the
// folder of the account settings file.
std::string GetDataFolder(const IniFile& account);
std::string GetSpoolFolder(const IniFile& account);

// Stored form <-> native relative path of a group folder name.
std::string StoredToNativeName(std::string_view stored);
std::string NativeToStoredName(std::string_view native);

// data folder + `FOLDER_NAME`, as a native path without trailing delimiter.
std::string GroupFolder(std::string_view data_folder, std::string_view folder_name);

// A file inside a folder.
std::string FileIn(std::string_view folder, std::string_view name);

// Fixed file names of the layout.
inline constexpr std::string_view kGroupSettingsFile = "drwa_BBS.ini";
inline constexpr std::string_view kSignatureFile = "sign.ini";
inline constexpr std::string_view kErrorLogFile = "ErrorLog.txt";
inline constexpr std::string_view kSendLogFile = "送信LOG.html";
inline constexpr std::string_view kPluginStatusFile = "drwa_rudrud.ini";
inline constexpr std::string_view kOutboxFolder = "SMTP.BOX";

// The section of group number n (1-based): at least five digits.
std::string GroupSection(int number);

// The library's own path with its extension replaced by `extension`.
std::string ModuleFileWith(std::string_view extension);

// The plugins installed with the library, for a new account: "plugins"
// beside it (the Windows installer's layout), or share/drwa/plugins of the
// prefix it was installed under (lib/drwa or lib/ARCH/drwa). Empty when there
// is none.
std::string InstalledPluginFolder();

// The module settings file: the library's path with the extension ".ini".
inline std::string ModuleSettingsPath() {
    return ModuleFileWith(".ini");
}

}  // namespace drwa::config
