// b64name: the file-name-safe Base64 of source names. TEXT is taken as raw
// bytes, so a Shift_JIS base name can be passed from a script as it is.
#include <cstdio>
#include <string>

#include "text/filename_base64.h"
#include "text_commands.h"

namespace drwa_tool {

int RunB64Name(const Args& args) {
    if (args.size() != 2 || (args[0] != "encode" && args[0] != "decode")) {
        std::fprintf(stderr, "usage: drwa-tool b64name encode|decode TEXT\n");
        return 2;
    }
    // A decode failure (length not a multiple of four) reaches main's handler
    // as a drwa::Error and ends with status 1.
    if (args[0] == "encode") {
        WriteOutput(drwa::text::EncodeFileNameBase64(args[1]) + "\n");
    } else {
        WriteOutput(drwa::text::DecodeFileNameBase64(args[1]) + "\n");
    }
    return 0;
}

}  // namespace drwa_tool
