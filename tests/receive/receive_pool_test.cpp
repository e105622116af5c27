// Several groups at once: slots, preferences, time limits, aborts and error
// mails, with real Perl plugins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <fstream>

#include "common/error.h"
#include "platform/system.h"
#include "receive/jushin_thread_control.h"
#include "receive/receive_driver.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa::receive {
namespace {

using drwa::testing::EnabledGroup;
using drwa::testing::ProgressRecorder;
using drwa::testing::SpoolMails;
using drwa::testing::TempFolder;
using drwa::testing::WriteAccount;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The slot byte each group's first status carried, and the order in which the
// groups' statuses arrived.
struct SlotLog {
    std::map<std::string, int> first_slot;
    std::vector<std::string> order;  // group names, one per status text
};

SlotLog Slots(const std::vector<std::string>& texts) {
    SlotLog log;
    for (const std::string& t : texts) {
        if (t.empty() || t[0] < 1 || t[0] > 9) continue;  // not from a worker
        for (const char* g : {"G1", "G2", "G3"}) {
            if (t.find(std::string(" ") + g + " ") == std::string::npos) continue;
            log.first_slot.emplace(g, t[0]);
            log.order.push_back(g);
        }
    }
    return log;
}

std::vector<std::string> ReadMail(const std::string& path) {
    std::string command = "python3 " DRWA_SOURCE_DIR "/tests/receive/read_mail.py '" + path + "'";
    std::vector<std::string> lines;
    FILE* p = popen(command.c_str(), "r");
    char buf[4096];
    while (p && std::fgets(buf, sizeof buf, p)) {
        std::string line = buf;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        lines.push_back(line);
    }
    if (p) pclose(p);
    return lines;
}

class Pool : public ::testing::Test {
  protected:
    TempFolder dir;
    ProgressRecorder host;
};

TEST_F(Pool, ThreeJobsOnTwoSlotsFillTheFirstSlotThatIsFree) {
    const std::string account = WriteAccount(
        dir,
        {EnabledGroup("G1", "SLEEP", "SLEEP=0.2\r\n"), EnabledGroup("G2", "SLEEP", "SLEEP=1.0\r\n"),
         EnabledGroup("G3", "SLEEP", "SLEEP=0\r\n")},
        "THREAD_COUNT=2\r\n");
    ReceiveGroups(account, {0, 1, 2}, ProgressRecorder::callback());
    const SlotLog log = Slots(host.texts());
    EXPECT_EQ(log.first_slot.at("G1"), 1);
    EXPECT_EQ(log.first_slot.at("G2"), 2);
    EXPECT_EQ(log.first_slot.at("G3"), 1);  // slot 1 was released first
    EXPECT_TRUE(host.Saw("acct 残スレッド数:3"));
    EXPECT_TRUE(host.Saw("acct 残スレッド数:1"));
    EXPECT_EQ(host.texts().back(), "acctの受信は完了しました");
    // Every call reached the host on this thread.
    const auto callers = host.callers();
    EXPECT_EQ(std::count(callers.begin(), callers.end(), callers.front()),
              static_cast<long>(callers.size()));
}

TEST_F(Pool, JobsPreferringASlotRunThereOneAfterTheOther) {
    const std::string account =
        WriteAccount(dir,
                     {EnabledGroup("G1", "SLEEP", "SLEEP=0.3\r\n[OPTION]\r\nTHREAD_NUMBER=2\r\n"),
                      EnabledGroup("G2", "SLEEP", "SLEEP=0\r\n[OPTION]\r\nTHREAD_NUMBER=2\r\n")},
                     "THREAD_COUNT=2\r\n");
    ReceiveGroups(account, {0, 1}, ProgressRecorder::callback());
    const SlotLog log = Slots(host.texts());
    EXPECT_EQ(log.first_slot.at("G1"), 2);
    EXPECT_EQ(log.first_slot.at("G2"), 2);
    // All of G1 came before anything of G2.
    auto first_g2 = std::find(log.order.begin(), log.order.end(), "G2");
    EXPECT_EQ(std::find(first_g2, log.order.end(), "G1"), log.order.end());
}

TEST_F(Pool, SlotNumbersReachTheHostAsTheFirstByte) {
    const std::string account =
        WriteAccount(dir,
                     {EnabledGroup("G1", "SLEEP", "SLEEP=0\r\n[OPTION]\r\nTHREAD_NUMBER=3\r\n"),
                      // A preference beyond the slots is no preference, not a job that never runs.
                      EnabledGroup("G2", "SLEEP", "SLEEP=0\r\n[OPTION]\r\nTHREAD_NUMBER=7\r\n")},
                     "THREAD_COUNT=3\r\n");
    ReceiveGroups(account, {0, 1, 1}, ProgressRecorder::callback());
    const std::vector<std::string> texts = host.texts();
    const SlotLog log = Slots(texts);
    EXPECT_EQ(log.first_slot.at("G1"), 3);
    EXPECT_EQ(log.first_slot.at("G2"), 1);
    // The whole line, or with what followed it when the plugin ended first.
    EXPECT_THAT(texts, Contains(StartsWith("\x03"
                                           "acct G1 受信中 start")));
    // G2 was listed twice and received once.
    EXPECT_EQ(std::count(texts.begin(), texts.end(),
                         "\x01"
                         "acct G2 受信正常終了"),
              1);
}

TEST_F(Pool, AStopAtTheRemainingCountEndsTheReceive) {
    host.AbortWhen(
        [](const std::string& t) { return t.find("残スレッド数:") != std::string::npos; });
    const std::string account =
        WriteAccount(dir, {EnabledGroup("G1", "ARTICLES"), EnabledGroup("G2", "ARTICLES")},
                     "THREAD_COUNT=2\r\n");
    try {
        ReceiveGroups(account, {0, 1}, ProgressRecorder::callback());
        FAIL() << "the stop was not noticed";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "acctの受信は中止されました");
    }
    EXPECT_TRUE(SpoolMails(dir).empty());
}

TEST_F(Pool, AFailingGroupBecomesAnErrorMailWhileTheOthersGoOn) {
    const std::string account =
        WriteAccount(dir,
                     {EnabledGroup("G1", "EXIT", "EXIT_CODE=3\r\n"), EnabledGroup("G2", "ARTICLES"),
                      EnabledGroup("G3", "EXIT", "EXIT_CODE=4\r\n")},
                     "THREAD_COUNT=2\r\n");
    ReceiveGroups(account, {0, 1, 2}, ProgressRecorder::callback());

    std::vector<std::vector<std::string>> errors;
    int articles = 0;
    for (const std::string& mail : SpoolMails(dir)) {
        auto parsed = ReadMail(mail);
        ASSERT_GE(parsed.size(), 2u) << mail;
        if (parsed[1] == "from: \"KVT7R ERROR SYSTEM\" <>")
            errors.push_back(parsed);
        else
            ++articles;
    }
    EXPECT_EQ(articles, 2);
    ASSERT_EQ(errors.size(), 2u);  // two failing groups, two files of their own
    for (const auto& mail : errors) {
        EXPECT_THAT(mail[0], HasSubstr(testing::Utf8("受信時にエラーが発生しました")));
        EXPECT_EQ(mail[mail.size() - 2],
                  "body: " + testing::Utf8("--------------------------以下エラーメッセージ"
                                           "--------------------------"));
    }
    std::vector<std::string> last_lines = {errors[0].back(), errors[1].back()};
    std::sort(last_lines.begin(), last_lines.end());
    EXPECT_EQ(last_lines[0], "body: " + testing::Utf8("プラグインの実行エラー 終了コード:3"));
    EXPECT_EQ(last_lines[1], "body: " + testing::Utf8("プラグインの実行エラー 終了コード:4"));
}

TEST_F(Pool, APluginIgnoringTheBreakIsKilledAtTheHardLimit) {
    const std::string account = WriteAccount(
        dir, {EnabledGroup("G1", "IGNOREBREAK"), EnabledGroup("G2", "SLEEP", "SLEEP=0\r\n")},
        "THREAD_COUNT=2\r\nTIMEOUT2=1\r\n");
    const std::uint64_t start = platform::MonotonicMs();
    TJushinThreadControl pool(BuildReceiveJobs(account, {0, 1}, ProgressRecorder::callback()), 2,
                              /*grace_ms=*/1500);
    EXPECT_NE(pool.RunWorkers() & 0xFF, 0);  // a worker that was stopped aborts the receive
    const std::uint64_t took = platform::MonotonicMs() - start;
    EXPECT_GE(took, 2400u);  // the time limit, then the grace period
    EXPECT_LT(took, 8000u);
    EXPECT_TRUE(dir.Exists("acct/BBS/G1/got_break"));
    std::ifstream pid_file(dir.native() / "acct/BBS/G1/plugin.pid");
    int pid = 0;
    pid_file >> pid;
    ASSERT_GT(pid, 0);
    EXPECT_NE(kill(pid, 0), 0) << "the plugin outlived its hard limit";
    EXPECT_FALSE(dir.Exists("acct/BBS/G1/board.cmt"));
}

}  // namespace
}  // namespace drwa::receive
