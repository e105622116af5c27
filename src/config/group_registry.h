// The group registry: the numbered group sections of the account settings
// file, rebuilt from the folders on disk. A folder is a group folder exactly
// when it holds drwa_BBS.ini; group folders may nest, and a folder that is not
// a group folder hides everything below it.
//
// Folder names are stored as they are on disk. Windows stores them in upper
// case and finds the folder whatever the case; on a file system that tells
// cases apart only the real name finds the folder again.
#pragma once

#include <set>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::config {

// The order of the group list: without regard to ASCII case, a nested group
// right after its parent ("\" sorts before every other character). Names that
// differ only in case are both kept, in byte order; only identical names are
// one entry.
struct GroupNameLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};
using GroupNameSet = std::set<std::string, GroupNameLess>;

// Adds the stored names (prefix + "\" + folder) of all group folders below
// data folder + `prefix` (stored form, empty for the top) to `found`. Folders
// whose names start with "." are passed over, and so are names that cannot be
// stored: a "\" inside a name, or a name with no Shift_JIS form. A group folder
// reached a second time (through a symbolic link) is listed once. A nested
// group whose settings lack SUB_DIR is given its own GUID and SUB_DIR = 1.
void ScanGroupFolders(std::string_view data_folder, std::string_view prefix, GroupNameSet& found);

// Rewrites the group list of the account from the folders on disk: sections
// 00001.. get FOLDER_NAME, the one section after the last is erased,
// GROUP_COUNT is set. Values already right are not written again.
void RebuildGroupRegistry(IniFile& account);

}  // namespace drwa::config
