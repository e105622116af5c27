// The command line that starts an article plugin, by its kind: the receive
// run and the group dialog's "i" run start it the same way.
#pragma once

#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::receive {

// The interpreter from the account settings file (PERL_EXE, RUBY_EXE) and the
// quoted plugin file DRWA_PLUGIN_FOLDER + "cm_" + `lib` + extension, or the
// executable alone. Fails with "プラグインが指定されていません" for an unknown
// kind.
std::string PluginCommandLine(const config::IniFile& account, std::string_view lib, int lib_type);

}  // namespace drwa::receive
