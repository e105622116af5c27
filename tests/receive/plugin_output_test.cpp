// A plugin's output on its way to the host and the error log: whole lines as
// they come, overlong ones cut, memory bounded, the log as whole lines.
#include "receive/plugin_output.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>

#include "config/text_helpers.h"
#include "support/temp_folder.h"

namespace drwa::receive {
namespace {

using drwa::testing::TempFolder;
using ::testing::ElementsAreArray;

// Feeds `pieces` in line mode and takes every whole line after each piece.
std::vector<std::string> Lines(const std::vector<std::string>& pieces, PluginOutput& out) {
    std::vector<std::string> lines;
    for (const auto& piece : pieces) {
        out.Feed(piece);
        for (std::string line; out.NextLine(line);) lines.push_back(line);
    }
    return lines;
}

TEST(PluginOutput, WholeLinesHoweverTheBytesArrive) {
    struct Case {
        std::vector<std::string> pieces;
        std::vector<std::string> lines;
        std::string unfinished;
    } cases[] = {
        {{"a\r\nb\r\nc"}, {"a", "b"}, "c"},
        // The CR of a line end in one read, its LF in the next.
        {{"a\r", "\nb"}, {"a"}, "b"},
        // LF or CR alone ends no status line.
        {{"a\nb\rc\r\n"}, {"a\nb\rc"}, ""},
        {{"", "\r\n", "\r\n"}, {"", ""}, ""},
    };
    for (const auto& c : cases) {
        PluginOutput out;
        EXPECT_THAT(Lines(c.pieces, out), ElementsAreArray(c.lines));
        EXPECT_EQ(out.Unfinished(), c.unfinished);
    }
}

TEST(PluginOutput, AnOverlongLineIsCutOnceAndTheRestOfItDropped) {
    PluginOutput out;
    const std::string piece(65536, 'x');
    for (int i = 0; i < 64; ++i) out.Feed(piece);  // 4 MB without a line end
    const std::string cut = std::string(out.Unfinished());
    EXPECT_LE(cut.size(), kMaxStatusBytes);
    EXPECT_TRUE(cut.ends_with(kCutMark));
    // The line ends at last, its CR in one read and its LF in the next; the
    // next line comes whole.
    std::vector<std::string> lines = Lines({piece + "\r", "\nnext\r\n"}, out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], cut);
    EXPECT_EQ(lines[1], "next");
    EXPECT_EQ(out.Unfinished(), "");
}

TEST(PluginOutput, CutsBetweenDoubleByteCharacters) {
    // "表" is 0x95 0x5C: an odd start shifts every pair against the cut.
    for (const std::string start : {"", "a"}) {
        std::string text = start;
        while (text.size() < 3 * kMaxStatusBytes) text += "表";
        const std::string cut = CapStatusText(text);
        ASSERT_TRUE(cut.ends_with(kCutMark));
        const std::string kept = cut.substr(0, cut.size() - kCutMark.size());
        EXPECT_EQ(text.compare(0, kept.size(), kept), 0);
        EXPECT_EQ((kept.size() - start.size()) % 2, 0u) << "a character cut in two";
        EXPECT_GT(kept.size(), kMaxStatusBytes - kCutMark.size() - 2);
    }
    const std::string fits(kMaxStatusBytes, 'y');
    EXPECT_EQ(CapStatusText(fits), fits);
}

TEST(PluginOutput, CollectModeKeepsLineEndsAndStaysBounded) {
    PluginOutput out;
    out.Feed("a\r\nb");
    out.CollectAll();
    out.Feed("c\r\nd");
    std::string line;
    ASSERT_TRUE(out.NextLine(line));
    EXPECT_EQ(line, "a");
    EXPECT_EQ(out.Unfinished(), "bc\r\nd");
    for (int i = 0; i < 100; ++i) out.Feed(std::string(65536, 'z') + "\r\n");
    EXPECT_LE(out.Unfinished().size(), kMaxStatusBytes);
    EXPECT_TRUE(out.Unfinished().starts_with("bc\r\nd"));
}

TEST(ErrorLogWriter, WritesWhatTheWholeTextGivesInWholeLines) {
    // Each text cut at every point: the log is the same as the text's lines
    // joined with CR LF, however the reads fell.
    const std::string texts[] = {"first\nsecond", "a\r\nb\rc\n", "\r\n", "x\r", "\n\n\r\r\n"};
    for (const std::string& text : texts) {
        const std::string expected = config::JoinLinesCrLf(config::SplitLines(text));
        for (std::size_t cut = 0; cut <= text.size(); ++cut) {
            TempFolder dir;
            {
                ErrorLogWriter log(dir / "ErrorLog.txt");
                log.Feed(text.substr(0, cut));
                log.Feed(text.substr(cut));
            }
            EXPECT_EQ(dir.Read("ErrorLog.txt"), expected) << "cut at " << cut;
        }
    }
}

TEST(ErrorLogWriter, ARunWithoutErrorOutputKeepsTheEarlierLog) {
    TempFolder dir;
    dir.Write("ErrorLog.txt", "earlier\r\n");
    { ErrorLogWriter log(dir / "ErrorLog.txt"); }
    EXPECT_EQ(dir.Read("ErrorLog.txt"), "earlier\r\n");
    {
        ErrorLogWriter log(dir / "ErrorLog.txt");
        log.Feed("new");
        // Until the run is over the earlier log stays in place.
        EXPECT_EQ(dir.Read("ErrorLog.txt"), "earlier\r\n");
    }
    EXPECT_EQ(dir.Read("ErrorLog.txt"), "new\r\n");
}

TEST(ErrorLogWriter, ARunThatDiesOnTheWayLeavesNothingBehind) {
    TempFolder dir;
    dir.Write("ErrorLog.txt", "earlier\r\n");
    const pid_t child = fork();
    if (child == 0) {
        ErrorLogWriter log(dir / "ErrorLog.txt");
        log.Feed(std::string(200000, 'e'));
        _exit(0);  // as if killed: no destructor runs
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_EQ(dir.Read("ErrorLog.txt"), "earlier\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.native()), {}), 1);
}

}  // namespace
}  // namespace drwa::receive
