// detect and convert: the whole input at once, as the library converts whole
// article files.
#include <cstdio>
#include <string>

#include "text/japanese_code.h"
#include "text_commands.h"

namespace drwa_tool {
namespace {

using drwa::text::JapaneseCode;

// At most one FILE argument; none (or "-") is standard input.
bool OneOptionalFile(const Args& args, std::size_t from, std::string& file) {
    if (args.size() > from + 1) return false;
    file = args.size() == from + 1 ? args[from] : "";
    return true;
}

}  // namespace

int RunDetect(const Args& args) {
    std::string file;
    if (!OneOptionalFile(args, 0, file)) {
        std::fprintf(stderr, "usage: drwa-tool detect [FILE]\n");
        return 2;
    }
    const JapaneseCode code = drwa::text::DetectJapaneseCode(ReadInput(file));
    WriteOutput(std::to_string(static_cast<int>(code)) + "\n");
    return 0;
}

int RunConvert(const Args& args) {
    std::string file;
    const bool valid = args.size() >= 2 && args[0] == "--to" &&
                       (args[1] == "2" || args[1] == "4" || args[1] == "5") &&
                       OneOptionalFile(args, 2, file);
    if (!valid) {
        std::fprintf(stderr,
                     "usage: drwa-tool convert --to 2|4|5 [FILE]\n"
                     "  2 ISO-2022-JP, 4 EUC-JP, 5 Shift_JIS\n");
        return 2;
    }
    const auto target = static_cast<JapaneseCode>(args[1][0] - '0');
    WriteOutput(drwa::text::ConvertJapaneseCode(ReadInput(file), target));
    return 0;
}

}  // namespace drwa_tool
