// detect and convert: the input in blocks, with the result the whole input at
// once would give (the library's conversion of whole article files).
#include <cstdio>
#include <string>

#include "byte_stream.h"
#include "text/japanese_code.h"
#include "text/japanese_stream.h"
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
    InputBlocks input(file);
    drwa::text::JapaneseCodeStream detection;
    // Reading stops at the byte that decides.
    for (std::string_view block; !detection.Decided() && !(block = input.Next()).empty();)
        detection.Feed(block, [](std::string_view) {});
    const JapaneseCode code = detection.Finish();
    input.Finish();
    WriteBytes(std::to_string(static_cast<int>(code)) + "\n");
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
    InputBlocks input(file);
    drwa::text::JapaneseConvertStream conversion(target, WriteBytes);
    for (std::string_view block; !(block = input.Next()).empty();) conversion.Feed(block);
    conversion.Finish();
    return 0;
}

}  // namespace drwa_tool
