// Accounts for receive tests: an account settings file and its group folders
// in a temporary folder, with the test plugins as the plugin folder.
#pragma once

#include <string>
#include <vector>

#include "support/temp_folder.h"

namespace drwa::testing {

struct TestGroup {
    std::string folder;    // FOLDER_NAME; empty: the section has none
    std::string settings;  // the group settings file's text
};

// An enabled group running test plugin `plugin` (LIB_TYPE 1) with a GUID of
// its own; `more` adds lines to section BASIC.
TestGroup EnabledGroup(const std::string& folder, const std::string& plugin,
                       const std::string& more = "");

// Writes account `name` (its folder under `dir`) holding the groups in
// section order; `plugin_section` adds lines to section PLUGIN. Returns the
// account settings path.
std::string WriteAccount(const TempFolder& dir, const std::vector<TestGroup>& groups,
                         const std::string& plugin_section = "", const std::string& name = "acct");

// The mail files waiting in the account's spool folder, sorted.
std::vector<std::string> SpoolMails(const TempFolder& dir, const std::string& name = "acct");

}  // namespace drwa::testing
