// The table of drwa-tool's subcommands: one row per subcommand, its code in a
// file of its own.
#pragma once

#include <array>

#include "import_command.h"
#include "text_commands.h"
#include "tool_commands.h"
#include "version_info_command.h"

namespace drwa_tool {

inline constexpr std::array kToolCommands{
    ToolCommand{"detect", "detect [FILE]                 the detected code, 0 to 6", RunDetect},
    ToolCommand{"convert",
                "convert --to 2|4|5 [FILE]     the whole input converted "
                "(2 ISO-2022-JP, 4 EUC-JP, 5 Shift_JIS)",
                RunConvert},
    ToolCommand{"encode-header",
                "encode-header [FILE]          each line MIME-encoded as a header line",
                RunEncodeHeader},
    ToolCommand{"decode-header",
                "decode-header [FILE]          each line decoded and converted to Shift_JIS",
                RunDecodeHeader},
    ToolCommand{"b64name", "b64name encode|decode TEXT    the file-name-safe Base64", RunB64Name},
    ToolCommand{"import",
                "import --account ACCOUNT.ini --group N [--dummy-domain @D] [--no-wait] FILE...\n"
                "                                article files or board logs into the account's "
                "spool folder under group N's settings; the files are kept",
                RunImport},
    ToolCommand{"version-info",
                "version-info FILE             the version strings and fixed block of a Windows "
                "executable",
                RunVersionInfo},
};

}  // namespace drwa_tool
