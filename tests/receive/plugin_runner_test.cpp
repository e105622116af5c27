// The runner with real Perl plugins in real group folders.
#include "receive/plugin_runner.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "common/error.h"
#include "receive/plugin_output.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"

namespace drwa::receive {
namespace {

using drwa::testing::ProgressRecorder;
using drwa::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

class PluginRunner : public ::testing::Test {
  protected:
    TempFolder account;

    // A group folder BBS/GRP in the account folder, and a job for `plugin`.
    ReceiveJob Job(const std::string& plugin, const std::string& settings = "[BASIC]\r\n") {
        account.Write("BBS/GRP/drwa_BBS.ini", settings);
        ReceiveJob job;
        job.AccountIniPath = account / "account.ini";
        job.GroupIniPath = account / "BBS/GRP/drwa_BBS.ini";
        // The Windows interpreter name works here too.
        job.CommandLine = "\"perl.exe\" \"" + std::string(DRWA_TEST_PLUGINS) + "/" + plugin + "\"";
        return job;
    }

    // What the host sees for a status of this group.
    std::string Line(const std::string& status) {
        std::string base = account.path().substr(account.path().rfind('/') + 1);
        return base + " GRP 受信中 " + status;
    }
    std::string Finished() {
        std::string base = account.path().substr(account.path().rfind('/') + 1);
        return base + " GRP 受信正常終了";
    }
};

TEST_F(PluginRunner, ReportsEachLineWhileThePluginRunsThenThePartialOne) {
    ProgressRecorder host;
    ReceiveJob job = Job("cm_LINES.PL");
    job.Callback = ProgressRecorder::callback();
    ASSERT_TRUE(RunGroupPlugin(job));
    EXPECT_NE(job.ProcessId, 0u);
    // The partial line shows while the plugin runs, and once more with the
    // rest of the output after it ended.
    EXPECT_THAT(host.texts(), ElementsAre(Line("a"), Line("b"), Line("c"), Line("c"),
                                          Line("cmwファイル削除"), Finished()));
    EXPECT_FALSE(account.Exists("BBS/GRP/ErrorLog.txt"));
}

TEST_F(PluginRunner, WithoutACallbackOutputIsOnlyCollected) {
    ReceiveJob job = Job("cm_LINES.PL");
    EXPECT_TRUE(RunGroupPlugin(job));
}

TEST_F(PluginRunner, ASilentPluginIsHeardFromEveryThreeSecondsAndCanBeStoppedThen) {
    ProgressRecorder host;
    host.AbortWhen([](const std::string& t) { return t.find("3秒経過....") != std::string::npos; });
    ReceiveJob job = Job("cm_SILENT.PL");
    job.Callback = ProgressRecorder::callback();
    EXPECT_FALSE(RunGroupPlugin(job));
    EXPECT_THAT(host.texts(), ElementsAre(Line("3秒経過....")));
    // The break reached the plugin: its handler leaves a mark. Give it a moment.
    for (int i = 0; i < 50 && !account.Exists("BBS/GRP/got_break"); ++i) usleep(20000);
    EXPECT_TRUE(account.Exists("BBS/GRP/got_break"));
}

TEST_F(PluginRunner, StopAtTheFirstLineBreaksThePlugin) {
    ProgressRecorder host;
    host.AbortWhen([](const std::string&) { return true; });
    ReceiveJob job = Job("cm_LINES.PL");
    job.Callback = ProgressRecorder::callback();
    EXPECT_FALSE(RunGroupPlugin(job));
    EXPECT_THAT(host.texts(), ElementsAre(Line("a")));
    for (int i = 0; i < 50 && !account.Exists("BBS/GRP/got_break"); ++i) usleep(20000);
    EXPECT_TRUE(account.Exists("BBS/GRP/got_break"));
}

TEST_F(PluginRunner, ErrorOutputBecomesTheErrorLogWithWholeLines) {
    account.Write("BBS/GRP/ErrorLog.txt", "an older log\r\n");
    ReceiveJob job = Job("cm_STDERR.PL");
    ASSERT_TRUE(RunGroupPlugin(job));
    EXPECT_EQ(account.Read("BBS/GRP/ErrorLog.txt"), "first problem\r\nsecond problem\r\n");
}

TEST_F(PluginRunner, AFailingExitNamesItsCodeAndPrunesNothing) {
    account.Write("BBS/GRP/ErrorLog.txt", "kept from before\r\n");
    account.Write("BBS/GRP/req.cmw", "S:POST,u,p,,\n.\n");
    ReceiveJob job = Job("cm_EXIT.PL", "[BASIC]\r\nEXIT_CODE=1\r\n");
    try {
        RunGroupPlugin(job);
        FAIL() << "a plugin exiting with 1 succeeded";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "プラグインの実行エラー 終了コード:1");
    }
    EXPECT_TRUE(account.Exists("BBS/GRP/req.cmw"));
    // A run that wrote nothing to standard error keeps the earlier log.
    EXPECT_EQ(account.Read("BBS/GRP/ErrorLog.txt"), "kept from before\r\n");
}

TEST_F(PluginRunner, ACleanExitPrunesTheRequestFilesBelowTheGroupFolder) {
    account.Write("BBS/GRP/done.cmw", "#U:1\nS:POST,u,p,,\nhello\n.\n");
    account.Write("BBS/GRP/queue.cmw/later.cmw", "#U:2\nS:POST,u,a,,\n.\nS:POST,u,b\nwait\n.\n");
    ReceiveJob job = Job("cm_EXIT.PL", "[BASIC]\r\nEXIT_CODE=0\r\n");
    ASSERT_TRUE(RunGroupPlugin(job));
    EXPECT_FALSE(account.Exists("BBS/GRP/done.cmw"));
    EXPECT_EQ(account.Read("BBS/GRP/queue.cmw/later.cmw"), "#U:1\r\nS:POST,u,b\r\nwait\r\n.\r\n");
}

TEST_F(PluginRunner, AStaleStatusFileIsGoneBeforeThePluginStarts) {
    account.Write("BBS/GRP/drwa_rudrud.ini", "[STATUS]\r\nDONE=0\r\n");
    ReceiveJob job = Job("cm_STATUSFILE.PL");
    EXPECT_TRUE(RunGroupPlugin(job));
    EXPECT_EQ(account.Read("BBS/GRP/drwa_rudrud.ini"), "[STATUS]\r\nDONE=1\r\n");
}

TEST_F(PluginRunner, APluginThatCannotStartFailsWithTheSystemsReason) {
    ReceiveJob job = Job("cm_LINES.PL");
    job.CommandLine = "\"/no/such/interpreter\" \"x.PL\"";
    try {
        RunGroupPlugin(job);
        FAIL() << "started a missing program";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("No such file or directory"));
    }
    EXPECT_EQ(job.ProcessId, 0u);
}

// What a run looked like from outside, measured in a child process of its
// own so that the peak memory is the run's alone.
struct FloodOutcome {
    bool succeeded = false;
    long rss_before_kb = 0;
    long peak_kb = 0;
    std::size_t reports = 0;
    std::size_t status_bytes = 0;  // all status texts the host was given
    std::size_t longest = 0;
};

long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

FloodOutcome g_outcome;  // only ever written in the child

void DRWA_CALL CountStatus(const char* text, int32_t*) {
    const std::size_t n = std::strlen(text);
    ++g_outcome.reports;
    g_outcome.status_bytes += n;
    g_outcome.longest = std::max(g_outcome.longest, n);
}

FloodOutcome RunInChild(ReceiveJob job) {
    int fds[2];
    if (pipe(fds) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        // The high-water mark starts again from here ("5" resets it).
        std::ofstream("/proc/self/clear_refs") << "5";
        g_outcome.rss_before_kb = StatusKb("VmRSS:");
        job.Callback = CountStatus;
        try {
            g_outcome.succeeded = RunGroupPlugin(job);
        } catch (...) {
        }
        g_outcome.peak_kb = StatusKb("VmHWM:");
        const bool sent = write(fds[1], &g_outcome, sizeof g_outcome) == sizeof g_outcome;
        _exit(sent ? 0 : 1);
    }
    close(fds[1]);
    FloodOutcome outcome;
    const bool read_all = read(fds[0], &outcome, sizeof outcome) == sizeof outcome;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(read_all && WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return outcome;
}

// However much a plugin prints, the receive ends, the host gets a few status
// texts of a few KB, and the runner's memory stays where it was: before, 50
// MB without a line end took some 300 MB and 400 MB of status texts, and 100
// MB of error output 440 MB.
constexpr long kMemoryBoundKb = 32 * 1024;

TEST_F(PluginRunner, FiftyMegabytesWithoutALineEndStayBounded) {
    const FloodOutcome o = RunInChild(Job("cm_FLOOD.PL", "[BASIC]\r\nOUT_MB=50\r\n"));
    EXPECT_TRUE(o.succeeded);
    EXPECT_LT(o.peak_kb - o.rss_before_kb, kMemoryBoundKb) << "peak " << o.peak_kb << " kB";
    // The flood was seen, cut.
    EXPECT_GT(o.longest, kMaxStatusBytes - 100);
    EXPECT_LE(o.longest, kMaxStatusBytes + 200);
    // The unfinished line once as it starts, once cut, once a report
    // interval, once at the end; and the closing texts.
    EXPECT_LE(o.status_bytes, 8 * (kMaxStatusBytes + 200)) << o.reports << " reports";
}

TEST_F(PluginRunner, HundredMegabytesOfErrorOutputGoIntoTheLogAsTheyCome) {
    account.Write("BBS/GRP/ErrorLog.txt", "an older log\r\n");
    const FloodOutcome o = RunInChild(Job("cm_FLOOD.PL", "[BASIC]\r\nERR_MB=100\r\n"));
    EXPECT_TRUE(o.succeeded);
    EXPECT_LT(o.peak_kb - o.rss_before_kb, kMemoryBoundKb) << "peak " << o.peak_kb << " kB";
    // Every 64-byte line of the plugin, each ended by CR LF now.
    const std::size_t lines = 100 * 1024 * 1024 / 64;
    std::ifstream log(account.native() / "BBS/GRP/ErrorLog.txt", std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<std::size_t>(log.tellg()), lines * 65);
    char last[66] = {};
    log.seekg(-65, std::ios::end);
    log.read(last, 65);
    EXPECT_EQ(std::string(last).substr(0, 19), "error line " + std::to_string(lines) + " ");
    EXPECT_EQ(std::string(last).substr(63), "\r\n");
}

}  // namespace
}  // namespace drwa::receive
