// An account on disk for the group tests: account.ini in a fresh folder, and
// group folders with their settings under BBS/.
#pragma once

#include <string>
#include <string_view>

#include "config/ini_file.h"
#include "support/temp_folder.h"

namespace drwa::testing {

class GroupAccount {
  public:
    explicit GroupAccount(std::string_view account_ini = "[PLUGIN]\r\nGROUP_COUNT=0\r\n") {
        folder.Write("account.ini", account_ini);
    }

    std::string AccountPath() const { return folder / "account.ini"; }
    config::IniFile Account() const { return config::IniFile(AccountPath()); }
    std::string AccountBytes() const { return folder.Read("account.ini"); }

    // A group folder (native relative path, "/" between levels) with the given
    // lines in [BASIC] of its settings.
    void AddGroup(std::string_view relative, std::string_view basic = "") const {
        folder.Write("BBS/" + std::string(relative) + "/drwa_BBS.ini",
                     "[BASIC]\r\n" + std::string(basic));
    }
    // A folder without group settings.
    void AddPlainFolder(std::string_view relative) const {
        folder.Write("BBS/" + std::string(relative) + "/readme.txt", "not a group\r\n");
    }
    std::string GroupSetting(std::string_view relative, std::string_view key) const {
        config::IniFile group(folder / ("BBS/" + std::string(relative) + "/drwa_BBS.ini"));
        return group.ReadString("BASIC", key, "");
    }
    bool Has(std::string_view relative) const {
        return folder.Exists("BBS/" + std::string(relative));
    }
    std::string DataFolder() const { return folder / "BBS/"; }

    TempFolder folder;
};

}  // namespace drwa::testing
