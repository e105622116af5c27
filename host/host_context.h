// What every drwa-host command works with: the loaded library and the global
// options of the command line.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "plugin_library.h"

namespace drwa_host {

struct HostContext {
    PluginLibrary& library;
    std::optional<std::string> account;  // CP932 absolute path of the account settings file
    std::optional<std::string> trace_file;

    // The account path, or a usage error when --account was not given.
    const char* Account() const;
};

// A command: its arguments after the command name; returns the exit status.
using CommandFn = int (*)(HostContext&, const std::vector<std::string>&);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

int RunInfo(HostContext&, const std::vector<std::string>&);

}  // namespace drwa_host
