// Real Japanese text: the skkdic dictionary (EUC-JP, some 176,000 lines of
// readings and kanji), in all three codes. Detection is held against nkf's
// guess, conversions against iconv, line by line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "iconv_peer.h"
#include "support/temp_folder.h"
#include "text/japanese_code.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;
using testing::IconvPeer;
using testing::RomanForAscii;

constexpr const char* kDictionary = "/usr/share/skk/SKK-JISYO.L";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Equal line by line; the first difference is reported with its line number.
void ExpectSameLines(const std::string& ours, const std::string& peer, const char* what) {
    const auto a = Lines(ours);
    const auto b = Lines(peer);
    ASSERT_EQ(a.size(), b.size()) << what;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i], b[i]) << what << ", line " << i + 1;
    }
}

// nkf's guess for each file of `folder` named in `names` ("EUC-JP",
// "Shift_JIS", "ISO-2022-JP", "ASCII"), by name. A few hundred names per run
// keep the command line short; nkf prefixes each guess with its file name
// only when it is given more than one.
std::map<std::string, std::string> NkfGuesses(const std::string& folder,
                                              const std::vector<std::string>& names) {
    constexpr std::size_t kBatch = 200;
    std::map<std::string, std::string> guesses;
    for (std::size_t first = 0; first < names.size(); first += kBatch) {
        std::string command = "cd '" + folder + "' && nkf --guess";
        if (first > 0) command += " '" + names[first - 1] + "'";
        for (std::size_t i = first; i < std::min(names.size(), first + kBatch); ++i) {
            command += " '" + names[i] + "'";
        }
        std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
        if (!pipe) break;
        char line[4096];
        while (std::fgets(line, sizeof line, pipe.get())) {
            const std::string text(line);
            const auto colon = text.rfind(": ");
            if (colon == std::string::npos) continue;
            const std::string guess = text.substr(colon + 2);
            guesses[text.substr(0, colon)] = guess.substr(0, guess.find_first_of(" \n"));
        }
    }
    return guesses;
}

const char* NkfName(Code code) {
    switch (code) {
        case Code::kAscii:
            return "ASCII";
        case Code::kIso2022Jp:
            return "ISO-2022-JP";
        case Code::kEucJp:
            return "EUC-JP";
        case Code::kShiftJis:
            return "Shift_JIS";
        default:
            return "";
    }
}

class RealText : public ::testing::Test {
  protected:
    void SetUp() override {
        euc_ = ReadFile(kDictionary);
        // scripts/install-deps installs skkdic: a missing file is a broken
        // machine, not a reason to pass.
        ASSERT_GT(euc_.size(), 1000000u) << kDictionary;
        sjis_ = IconvPeer("EUC-JP", "CP932").Convert(euc_).value();
        jis_ = RomanForAscii(IconvPeer("EUC-JP", "ISO-2022-JP").Convert(euc_).value());
    }

    std::string euc_, sjis_, jis_;
};

TEST_F(RealText, ConversionsAgreeWithIconvLineByLine) {
    ExpectSameLines(ConvertJapaneseCode(euc_, Code::kShiftJis), sjis_, "EUC-JP to Shift_JIS");
    ExpectSameLines(ConvertJapaneseCode(euc_, Code::kIso2022Jp), jis_, "EUC-JP to ISO-2022-JP");
    ExpectSameLines(ConvertJapaneseCode(sjis_, Code::kIso2022Jp), jis_, "Shift_JIS to ISO-2022-JP");
    ExpectSameLines(ConvertJapaneseCode(sjis_, Code::kEucJp), euc_, "Shift_JIS to EUC-JP");
    ExpectSameLines(ConvertJapaneseCode(jis_, Code::kShiftJis), sjis_, "ISO-2022-JP to Shift_JIS");
    ExpectSameLines(ConvertJapaneseCode(jis_, Code::kEucJp), euc_, "ISO-2022-JP to EUC-JP");
}

TEST_F(RealText, DetectionAgreesWithNkf) {
    drwa::testing::TempFolder folder;
    std::vector<std::string> paths;
    std::map<std::string, Code> ours;
    auto add = [&](const std::string& name, const std::string& bytes) {
        folder.Write(name, bytes);
        paths.push_back(name);
        ours[name] = DetectJapaneseCode(bytes);
    };
    add("whole.euc", euc_);
    add("whole.sjis", sjis_);
    add("whole.jis", jis_);
    // A sample of single lines, where detection has little to go on.
    const auto euc_lines = Lines(euc_);
    const auto sjis_lines = Lines(sjis_);
    const auto jis_lines = Lines(jis_);
    for (std::size_t i = 0; i < euc_lines.size(); i += 97) {
        const std::string n = std::to_string(i);
        add("line" + n + ".euc", euc_lines[i] + "\n");
        add("line" + n + ".sjis", sjis_lines[i] + "\n");
        add("line" + n + ".jis", jis_lines[i] + "\n");
    }
    EXPECT_EQ(ours["whole.euc"], Code::kEucJp);
    EXPECT_EQ(ours["whole.sjis"], Code::kShiftJis);
    EXPECT_EQ(ours["whole.jis"], Code::kIso2022Jp);

    const auto guesses = NkfGuesses(folder.native().string(), paths);
    ASSERT_EQ(guesses.size(), paths.size());
    int decided = 0;
    int undecided = 0;
    for (const auto& path : paths) {
        // Undecided is an honest answer where nkf must guess: a line of kana
        // and common kanji is valid EUC-JP and valid Shift_JIS alike.
        if (ours[path] == Code::kUndecided) {
            ++undecided;
            EXPECT_EQ(path.substr(path.size() - 4), ".euc") << path;
            continue;
        }
        ++decided;
        EXPECT_EQ(NkfName(ours[path]), guesses.at(path)) << path;
    }
    // Shift_JIS and ISO-2022-JP lines always decide; EUC-JP lines often do.
    EXPECT_GT(decided, 2 * undecided);
}

}  // namespace
}  // namespace drwa::text
