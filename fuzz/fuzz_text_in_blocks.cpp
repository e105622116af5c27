// A text in blocks against the same text whole: the stream detection and
// conversion (drwa-tool's input) must give exactly what the whole-text
// functions give, wherever the blocks end; and a plugin's output, however it
// arrives, reaches the host in texts of bounded size, its whole short lines
// unchanged. The first two input bytes choose the block sizes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "receive/plugin_output.h"
#include "text/japanese_code.h"
#include "text/japanese_stream.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// `text` cut into blocks of the two sizes in turn.
std::vector<std::string_view> Blocks(std::string_view text, std::size_t a, std::size_t b) {
    std::vector<std::string_view> blocks;
    for (std::size_t at = 0, k = 0; at < text.size(); ++k) {
        const std::size_t size = std::min(k % 2 ? b : a, text.size() - at);
        blocks.push_back(text.substr(at, size));
        at += size;
    }
    return blocks;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace drwa::text;
    if (size < 2) return 0;
    const std::size_t a = 1 + data[0] % 97, b = 1 + data[1] * 67;
    const std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::vector<std::string_view> blocks = Blocks(text, a, b);

    JapaneseCodeStream detection;
    for (const auto block : blocks) detection.Feed(block, [](std::string_view) {});
    Check(detection.Finish() == DetectJapaneseCode(text));

    for (const JapaneseCode target :
         {JapaneseCode::kIso2022Jp, JapaneseCode::kEucJp, JapaneseCode::kShiftJis}) {
        std::string streamed;
        JapaneseConvertStream stream(target, [&](std::string_view piece) { streamed += piece; });
        for (const auto block : blocks) stream.Feed(block);
        stream.Finish();
        Check(streamed == ConvertJapaneseCode(text, target));
    }

    using drwa::receive::kMaxStatusBytes;
    drwa::receive::PluginOutput output;
    std::string lines;
    for (const auto block : blocks) {
        output.Feed(block);
        for (std::string line; output.NextLine(line);) {
            Check(line.size() <= kMaxStatusBytes);
            lines += line + "\r\n";
        }
        Check(output.Unfinished().size() <= kMaxStatusBytes);
    }
    // Without an overlong line, the lines and the rest are the text itself.
    if (text.size() < kMaxStatusBytes) Check(lines + std::string(output.Unfinished()) == text);
    return 0;
}
