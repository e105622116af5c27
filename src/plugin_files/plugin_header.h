// What a script plugin says about itself in its file: the version, author and
// target board of its leading comment block, and the settings page it
// declares between "#[DIALOG]" and "#[/DIALOG]". Plugin files are outside
// input: any bytes give some result, never a failure.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace drwa::plugin_files {

struct PluginHeader {
    std::string version;
    std::string author;
    std::string target;
};

// Reads the comment lines ("#") at the top of the file, passing over empty
// lines and stopping at the first line of code. The first comment line that
// holds "VER" (or "VERSION") gives the version, up to the first full-width
// symbol or blank; the first with "BY" the author; the first with "FOR" the
// target board. Letters match in any case.
PluginHeader ParsePluginHeader(const std::vector<std::string>& lines);

// The name=value lines of the block from the line "#[DIALOG]" to the line
// "#[/DIALOG]" (or the end of the file), each line trimmed and without one
// leading "#", a written "\n" (either case) splitting a line in two. Nothing
// when the file has no such block.
using DialogEntries = std::vector<std::pair<std::string, std::string>>;
std::optional<DialogEntries> ExtractDialogBlock(const std::vector<std::string>& lines);

}  // namespace drwa::plugin_files
