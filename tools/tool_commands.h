// The subcommands of drwa-tool. Each lives in a file of its own and reads and
// writes raw bytes, like nkf: files or standard input, standard output.
#pragma once

#include <string>
#include <vector>

namespace drwa_tool {

using Args = std::vector<std::string>;

struct ToolCommand {
    const char* name;
    const char* usage;
    int (*run)(const Args& args);  // arguments after the subcommand; exit status
};

// The whole of FILE, or of standard input when `path` is empty or "-".
std::string ReadInput(const std::string& path);
// Raw bytes to standard output.
void WriteOutput(const std::string& bytes);

}  // namespace drwa_tool
