// drwa-tool import: article files and saved board logs into an account's spool
// folder, the conversion the group dialog's import runs.
#pragma once

#include "tool_commands.h"

namespace drwa_tool {

// import --account ACCOUNT.ini --group N [--dummy-domain D] FILE...
int RunImport(const Args& args);

}  // namespace drwa_tool
