#include "receive/plugin_command_line.h"

#include "common/error.h"
#include "config/folders.h"
#include "config/settings_keys.h"
#include "convert/comma_text.h"

namespace drwa::receive {

namespace keys = config::keys;

std::string PluginCommandLine(const config::IniFile& account, std::string_view lib, int lib_type) {
    const std::string folder =
        config::WithTrailingDelimiter(account.ReadString(keys::kPlugin, keys::kPluginFolder, ""));
    const std::string plugin = folder + "cm_" + std::string(lib);
    switch (lib_type) {
        case 1:
            return convert::Quoted(
                       account.ReadString(keys::kPlugin, keys::kPerlExe, keys::kDefaultPerlExe)) +
                   " " + convert::Quoted(plugin + ".PL");
        case 2:
            return convert::Quoted(
                       account.ReadString(keys::kPlugin, keys::kRubyExe, keys::kDefaultRubyExe)) +
                   " -KS " + convert::Quoted(plugin + ".RB");
        case 3:
            return convert::Quoted(plugin + ".EXE");
        default:
            throw Error("プラグインが指定されていません");
    }
}

}  // namespace drwa::receive
