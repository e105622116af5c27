// Receiving through the exports, as a host does it, with real Perl plugins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/plugin_loader.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa {
namespace {

using ::testing::ElementsAre;
using testing::EnabledGroup;
using testing::LoadedPlugin;
using testing::ProgressRecorder;
using testing::SpoolMails;
using testing::TempFolder;
using testing::TestGroup;
using testing::WriteAccount;

class Receive : public ::testing::Test {
  protected:
    LoadedPlugin plugin;
    TempFolder dir;

    std::string Account(const std::vector<TestGroup>& groups,
                        const std::string& plugin_section = "", const std::string& name = "acct") {
        return WriteAccount(dir, groups, plugin_section, name);
    }

    int32_t ReceiveOne(const std::string& account, std::vector<int32_t> groups,
                       ProgressCallback callback) {
        return plugin.Get<decltype(::ReceiveOne)>("ReceiveOne")(
            nullptr, account.c_str(), groups.data(), static_cast<int32_t>(groups.size()), callback);
    }

    std::size_t Mails(const std::string& name = "acct") { return SpoolMails(dir, name).size(); }
};

TEST_F(Receive, AnEmptyListOnlyStartsAndEnds) {
    ProgressRecorder host;
    const std::string account = Account({});
    EXPECT_EQ(ReceiveOne(account, {}, ProgressRecorder::callback()), 0);
    EXPECT_THAT(host.texts(), ElementsAre("acctの受信を開始しました", "acctの受信は完了しました"));
}

TEST_F(Receive, RunsEnabledGroupsAndSkipsTheRestSilently) {
    ProgressRecorder host;
    const std::string account = Account({
        EnabledGroup("G1", "ARTICLES"),
        {"", ""},                                                            // no FOLDER_NAME
        {"G3", "[BASIC]\r\nBBSFOLDER=0\r\nLIB=ARTICLES\r\nLIB_TYPE=0\r\n"},  // disabled
    });
    // Index 41 has no section at all.
    EXPECT_EQ(ReceiveOne(account, {0, 1, 2, 41}, ProgressRecorder::callback()), 0)
        << plugin.LastError();
    EXPECT_EQ(Mails(), 2u);
    EXPECT_TRUE(host.Saw("acct G1 受信正常終了"));
    EXPECT_FALSE(host.Saw("G3"));
    EXPECT_TRUE(dir.Exists("acct/BBS/G1/board.cmt"));
    EXPECT_FALSE(dir.Exists("acct/BBS/G1/board.cm$"));
}

TEST_F(Receive, AGroupWithoutAPluginKindStopsEverythingBeforeTheFirstRun) {
    const std::string account = Account({
        EnabledGroup("G1", "ARTICLES"),
        EnabledGroup("G2", "ARTICLES"),
        {"G3", "[BASIC]\r\nBBSFOLDER=1\r\nLIB=ARTICLES\r\n"},  // LIB_TYPE missing: 0
    });
    EXPECT_EQ(ReceiveOne(account, {0, 1, 2}, nullptr), 1);
    EXPECT_EQ(plugin.LastError(), "プラグインが指定されていません");
    EXPECT_FALSE(dir.Exists("acct/BBS/G1/board.cmt"));
    EXPECT_EQ(Mails(), 0u);
}

TEST_F(Receive, WithoutACallbackPluginsRunAndArticlesAreConverted) {
    const std::string account = Account({EnabledGroup("G1", "ARTICLES")});
    EXPECT_EQ(plugin.Get<decltype(::ReceiveAll)>("ReceiveAll")(nullptr, account.c_str(), nullptr),
              0);
    EXPECT_EQ(Mails(), 2u);
    EXPECT_EQ(plugin.LastError(), "");
}

TEST_F(Receive, TheProxyIsHandedToThePluginOrRemoved) {
    const std::string with =
        Account({EnabledGroup("G1", "EXIT", "PROXY=old:1\r\nEXIT_CODE=0\r\n")},
                "PROXY_SETTING=1\r\nPROXY_HOST=proxy.example\r\nPROXY_PORT=3128\r\n");
    ASSERT_EQ(ReceiveOne(with, {0}, nullptr), 0) << plugin.LastError();
    EXPECT_THAT(dir.Read("acct/BBS/G1/drwa_BBS.ini"),
                ::testing::HasSubstr("PROXY=proxy.example:3128\r\n"));

    const std::string without =
        Account({EnabledGroup("G1", "EXIT", "PROXY=old:1\r\nEXIT_CODE=0\r\n")},
                "PROXY_SETTING=3\r\n");  // no such setting: no proxy
    ASSERT_EQ(ReceiveOne(without, {0}, nullptr), 0) << plugin.LastError();
    EXPECT_THAT(dir.Read("acct/BBS/G1/drwa_BBS.ini"),
                ::testing::Not(::testing::HasSubstr("PROXY=")));
}

TEST_F(Receive, AFailingPluginEndsTheReceiveWithItsMessage) {
    const std::string account =
        Account({EnabledGroup("G1", "EXIT", "EXIT_CODE=2\r\n"), EnabledGroup("G2", "ARTICLES")});
    EXPECT_EQ(ReceiveOne(account, {0, 1}, nullptr), 1);
    EXPECT_EQ(plugin.LastError(), "プラグインの実行エラー 終了コード:2");
    EXPECT_FALSE(dir.Exists("acct/BBS/G2/board.cmt"));  // later groups are not run
}

TEST_F(Receive, AStopEndsTheReceiveAndConvertsOnlyWhenAskedTo) {
    for (const std::string name : {"plain", "keeping"}) {
        const bool convert_after_abort = name == "keeping";
        ProgressRecorder host;
        host.AbortWhen(
            [](const std::string& t) { return t.find("2 articles") != std::string::npos; });
        const std::string account =
            Account({EnabledGroup("G1", "ARTICLES"), EnabledGroup("G2", "ARTICLES")},
                    convert_after_abort ? "ABORT_TRANS_LOG=1\r\n" : "", name);
        EXPECT_EQ(ReceiveOne(account, {0, 1}, ProgressRecorder::callback()), 1);
        EXPECT_EQ(plugin.LastError(), name + "の受信は中止されました");
        EXPECT_FALSE(host.Saw("受信は完了しました"));
        EXPECT_EQ(Mails(name), convert_after_abort ? 2u : 0u) << name;
        // The stopped group's articles stay for the next receive when unconverted.
        EXPECT_EQ(dir.Exists(name + "/BBS/G1/board.cm$"), !convert_after_abort) << name;
        EXPECT_FALSE(dir.Exists(name + "/BBS/G2/board.cm$"));
    }
}

}  // namespace
}  // namespace drwa
