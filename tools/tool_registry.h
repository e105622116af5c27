// The table of drwa-tool's subcommands: one row per subcommand, its code in a
// file of its own.
#pragma once

#include <array>

#include "tool_commands.h"

namespace drwa_tool {

inline constexpr std::array<ToolCommand, 0> kToolCommands{};

}  // namespace drwa_tool
