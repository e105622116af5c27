// The runner with real Perl plugins in real group folders.
#include "receive/plugin_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.h"
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
    EXPECT_EQ(account.Read("BBS/GRP/queue.cmw/later.cmw"), "#U:1\nS:POST,u,b\nwait\n.\n");
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

}  // namespace
}  // namespace drwa::receive
