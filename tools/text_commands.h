// drwa-tool's charset subcommands: detection, conversion, MIME header words and
// the file-name-safe Base64.
#pragma once

#include "tool_commands.h"

namespace drwa_tool {

int RunDetect(const Args& args);        // detect [FILE]
int RunConvert(const Args& args);       // convert --to 2|4|5 [FILE]
int RunEncodeHeader(const Args& args);  // encode-header [FILE]
int RunDecodeHeader(const Args& args);  // decode-header [FILE]
int RunB64Name(const Args& args);       // b64name encode|decode TEXT

}  // namespace drwa_tool
