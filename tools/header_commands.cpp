// encode-header and decode-header: line by line, each line a whole header line
// (name included). Line ends are kept as they came; a CR before the LF is an
// ordinary byte of the line and passes through unchanged.
#include <cstdio>
#include <string>
#include <string_view>

#include "text/header_words.h"
#include "text/japanese_code.h"
#include "text_commands.h"

namespace drwa_tool {
namespace {

template <typename LineFunction>
int EachLine(const Args& args, const char* usage, LineFunction convert) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: drwa-tool %s [FILE]\n", usage);
        return 2;
    }
    const std::string input = ReadInput(args.empty() ? "" : args[0]);
    const std::string_view rest_of_input = input;
    std::string out;
    out.reserve(input.size() * 2);
    for (std::size_t i = 0; i < rest_of_input.size();) {
        std::size_t end = rest_of_input.find('\n', i);
        const bool has_newline = end != std::string_view::npos;
        if (!has_newline) end = rest_of_input.size();
        out += convert(rest_of_input.substr(i, end - i));
        if (has_newline) out += '\n';
        i = end + 1;
    }
    WriteOutput(out);
    return 0;
}

}  // namespace

int RunEncodeHeader(const Args& args) {
    return EachLine(args, "encode-header",
                    [](std::string_view line) { return drwa::text::EncodeHeaderLine(line); });
}

int RunDecodeHeader(const Args& args) {
    return EachLine(args, "decode-header", [](std::string_view line) {
        // As the outgoing mail reader does: decode the words, then bring the
        // whole line to Shift_JIS from whatever code it is in now.
        return drwa::text::ConvertJapaneseCode(drwa::text::DecodeHeaderLine(line),
                                               drwa::text::JapaneseCode::kShiftJis);
    });
}

}  // namespace drwa_tool
