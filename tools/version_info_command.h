// drwa-tool version-info: what the group properties dialog will read from an
// executable plugin's version resource.
#pragma once

#include "tool_commands.h"

namespace drwa_tool {

int RunVersionInfo(const Args& args);  // version-info FILE

}  // namespace drwa_tool
