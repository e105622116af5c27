// Detection and conversion in blocks give what the whole text at once gives,
// wherever the blocks end: on the dictionary in all three codes, on the fuzz
// seeds, on texts built to put escapes, pairs, NULs and decisions across block
// ends, and through drwa-tool from standard input and from a file.
#include "text/japanese_stream.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/temp_folder.h"
#include "text/japanese_code.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;
using namespace std::string_literals;
constexpr Code kTargets[] = {Code::kIso2022Jp, Code::kEucJp, Code::kShiftJis};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// `text` fed in blocks of the sizes in `blocks`, round and round.
std::string Streamed(std::string_view text, Code target, const std::vector<std::size_t>& blocks) {
    std::string out;
    JapaneseConvertStream stream(target, [&out](std::string_view piece) { out.append(piece); });
    for (std::size_t at = 0, b = 0; at < text.size(); ++b) {
        const std::size_t size = std::min(blocks[b % blocks.size()], text.size() - at);
        stream.Feed(text.substr(at, size));
        at += size;
    }
    stream.Finish();
    return out;
}

Code DetectedInBlocks(std::string_view text, std::size_t block) {
    JapaneseCodeStream stream;
    for (std::size_t at = 0; at < text.size() && !stream.Decided(); at += block)
        stream.Feed(text.substr(at, block), [](std::string_view) {});
    return stream.Finish();
}

// Every target and block pattern against the whole text; `what` names the text.
void ExpectSameAsWhole(const std::string& text, const std::string& what,
                       const std::vector<std::vector<std::size_t>>& patterns) {
    const Code code = DetectJapaneseCode(text);
    for (std::size_t block : {1u, 511u, 4096u}) {
        if (text.size() / block > 200000) continue;
        ASSERT_EQ(DetectedInBlocks(text, block), code) << what << ", blocks of " << block;
    }
    for (Code target : kTargets) {
        const std::string whole = ConvertJapaneseCode(text, target);
        for (const auto& blocks : patterns) {
            const std::string streamed = Streamed(text, target, blocks);
            ASSERT_EQ(streamed.size(), whole.size())
                << what << " to " << static_cast<int>(target) << ", blocks " << blocks[0];
            ASSERT_TRUE(streamed == whole)
                << what << " to " << static_cast<int>(target) << ", blocks " << blocks[0];
        }
    }
}

const std::vector<std::vector<std::size_t>> kPatterns = {
    {65536}, {4093}, {17, 1, 2, 3, 5, 8, 13, 21, 34, 55, 89}, {70000, 1, 16384}};

TEST(JapaneseStream, TheDictionaryInEveryCode) {
    const std::string euc = ReadFile("/usr/share/skk/SKK-JISYO.L").substr(0, 3 << 20);
    ASSERT_GT(euc.size(), 1u << 20) << "skkdic is installed by scripts/install-deps";
    const std::string sjis = ConvertJapaneseCode(euc, Code::kShiftJis);
    const std::string jis = ConvertJapaneseCode(euc, Code::kIso2022Jp);
    ExpectSameAsWhole(euc, "EUC-JP dictionary", kPatterns);
    ExpectSameAsWhole(sjis, "Shift_JIS dictionary", kPatterns);
    ExpectSameAsWhole(jis, "ISO-2022-JP dictionary", kPatterns);
}

TEST(JapaneseStream, TheSeedsAndFixtures) {
    for (const char* folder :
         {DRWA_SOURCE_DIR "/fuzz/corpus/fuzz_japanese_text",
          DRWA_SOURCE_DIR "/fuzz/corpus/fuzz_article_reader", DRWA_TEST_DATA "/convert"}) {
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (!entry.is_regular_file()) continue;
            ExpectSameAsWhole(ReadFile(entry.path()), entry.path().filename().string(),
                              {{1}, {3}, {64}});
        }
    }
}

// Texts where a decision or a character falls on a block end.
TEST(JapaneseStream, DecisionsAndCharactersAcrossBlockEnds) {
    const std::string ascii(70000, 'a');
    const std::string lines = "line one\r\nline two\n";
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        // A long plain start is handed on before anything is decided.
        {"ASCII then Shift_JIS", ascii + "\x95\x5C\x8E\xA6\n"},
        {"ASCII then EUC-JP", ascii + "\xC9\xBD\xBC\xA8\n"},
        {"ASCII then JIS", ascii + "\x1B$B$3$s\x1B(B\n"},
        {"ASCII then a binary byte", ascii + "\xFF" + lines},
        {"ASCII only", ascii},
        // An escape that decides nothing, then plain text: stays as it is.
        {"escape without a decision", "\x1B(B" + ascii},
        // Half-width katakana alone cannot tell EUC-JP from Shift_JIS.
        {"undecided katakana", ascii + "\xB1\xB2\xB3 " + ascii},
        {"katakana then a decision", "\xB1\xB2\xB3" + ascii + "\x88\x9F"},
        // ISO-2022-JP whose double-byte mode runs over many blocks and lines.
        {"JIS without a way back", "\x1B$B" + std::string(50000, '!') + "\r\n" + lines},
        {"JIS with a NUL pair", ascii + "\x1B$B$3\x00\x00$s\x1B(B"s + ascii},
        {"JIS with a NUL byte", "\x1B$B$3\x1B(B" + ascii + "\0"s + lines},
        {"JIS with an 8-bit pair", "\x1B$B$3\x88\x9F\x1B(B\n" + ascii},
        {"JIS cut in an escape", ascii + "\x1B$B$3$s\x1B("},
        {"JIS cut in a pair", ascii + "\x1B$B$3$"},
        {"Shift_JIS with a lead byte at the end", ascii + "\x95\x5C\x95"},
        {"Shift_JIS lead before a line end", "\x95\x5C\x95\n\x95\x5C" + lines + ascii},
        {"EUC-JP kana with sound marks", "\xC9\xBD\x8E\xB6\x8E\xDE\x8E\xCA\x8E\xDF" + ascii},
        {"Shift_JIS kana with sound marks", "\x95\x5C\xB6\xDE\xCA\xDF\n" + ascii},
    };
    for (const auto& c : cases) ExpectSameAsWhole(c.text, c.what, kPatterns);
}

// Random mixtures of what makes the conversions choose: escapes, lead and
// trail bytes, katakana, NULs, line ends and plain runs.
TEST(JapaneseStream, RandomMixtures) {
    const std::string pieces[] = {"\x1B$B",
                                  "\x1B(B",
                                  "\x1B(J",
                                  "\x1B$@",
                                  "\x1B",
                                  "$",
                                  "\x95\x5C",
                                  "\xC9\xBD",
                                  "\x88",
                                  "\xB1",
                                  "\xDE",
                                  "\x8E",
                                  std::string(1, '\0'),
                                  "\n",
                                  "\r\n",
                                  "ab",
                                  "!",
                                  "\xFF",
                                  std::string(300, 'x')};
    std::mt19937 random(20031201);
    for (int round = 0; round < 300; ++round) {
        std::string text = round % 3 == 0 ? std::string(600, 'p') : "";
        const int count = 50 + static_cast<int>(random() % 2000);
        for (int i = 0; i < count; ++i) text += pieces[random() % std::size(pieces)];
        ExpectSameAsWhole(text, "mixture " + std::to_string(round),
                          {{1 + random() % 64}, {16384 + random() % 100, 7}});
    }
}

// The command: standard input and a file path give the library's whole-text
// result, and so do each other.
TEST(JapaneseStream, ToolFromStandardInputAndFromAFile) {
    drwa::testing::TempFolder dir;
    const std::string euc = ReadFile("/usr/share/skk/SKK-JISYO.L").substr(0, 1 << 20);
    dir.Write("dict.euc", euc);
    const std::string input = (dir.native() / "dict.euc").string();
    const std::string output = (dir.native() / "out").string();
    for (Code target : {Code::kShiftJis, Code::kIso2022Jp}) {
        const std::string to = std::to_string(static_cast<int>(target));
        const std::string whole = ConvertJapaneseCode(euc, target);
        for (const std::string& command :
             {std::string("cat '") + input + "' | " DRWA_TOOL_PATH " convert --to " + to,
              std::string(DRWA_TOOL_PATH " convert --to ") + to + " '" + input + "'"}) {
            ASSERT_EQ(std::system((command + " > '" + output + "'").c_str()), 0) << command;
            EXPECT_TRUE(ReadFile(output) == whole) << command;
        }
    }
    ASSERT_EQ(
        std::system(("cat '" + input + "' | " DRWA_TOOL_PATH " detect > '" + output + "'").c_str()),
        0);
    EXPECT_EQ(ReadFile(output), "4\n");
}

}  // namespace
}  // namespace drwa::text
