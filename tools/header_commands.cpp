// encode-header and decode-header: line by line, each line a whole header line
// (name included). Line ends are kept as they came; a CR before the LF is an
// ordinary byte of the line and passes through unchanged.
#include <cstdio>
#include <string>
#include <string_view>

#include "byte_stream.h"
#include "text/header_words.h"
#include "text/japanese_code.h"
#include "text_commands.h"

namespace drwa_tool {
namespace {

// The input in blocks, each block's whole lines at once; a line is held only
// until its end has come.
template <typename LineFunction>
int EachLine(const Args& args, const char* usage, LineFunction convert) {
    if (args.size() > 1) {
        std::fprintf(stderr, "usage: drwa-tool %s [FILE]\n", usage);
        return 2;
    }
    InputBlocks input(args.empty() ? "" : args[0]);
    std::string carried;  // the start of a line whose end is still to come
    std::string out;
    auto convert_lines = [&](std::string_view lines) {
        for (std::size_t i = 0; i < lines.size();) {
            std::size_t end = lines.find('\n', i);
            const bool has_newline = end != std::string_view::npos;
            if (!has_newline) end = lines.size();
            out += convert(lines.substr(i, end - i));
            if (has_newline) out += '\n';
            i = end + 1;
        }
    };
    for (std::string_view block; !(block = input.Next()).empty();) {
        const std::size_t last = block.rfind('\n');
        if (last == std::string_view::npos) {
            carried.append(block);
            continue;
        }
        carried.append(block.substr(0, last + 1));
        convert_lines(carried);
        carried.assign(block.substr(last + 1));
        WriteBytes(out);
        out.clear();
    }
    convert_lines(carried);
    WriteBytes(out);
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
