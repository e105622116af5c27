// The menu commands with a recording stand-in for the desktop's opener on PATH.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

#include "config/group_fixture.h"
#include "platform/charset_edge.h"
#include "support/plugin_loader.h"

namespace drwa {
namespace {

using testing::GroupAccount;
using testing::LoadedPlugin;

struct Account : GroupAccount {
    Account()
        : GroupAccount(
              "[PLUGIN]\r\nGROUP_COUNT=3\r\n[00001]\r\nFOLDER_NAME=NEWS\r\n"
              "[00002]\r\nFOLDER_NAME=my board\r\n[00003]\r\nFOLDER_NAME=GONE\r\n") {
        AddGroup("NEWS", "URL=http://bbs.example/news/\r\n");
        AddGroup("my board", "URL=\r\n");
        folder.Write("BBS/my board/ErrorLog.txt", "error\r\n");
        folder.Write("BBS/NEWS/送信LOG.html", "<html></html>");
    }
};

class MenuCommands : public ::testing::Test {
  protected:
    void SetUp() override {
        old_path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
        setenv("PATH", (std::string(DRWA_TEST_DATA) + "/groups/bin:" + old_path_).c_str(), 1);
        setenv("DRWA_OPEN_LOG", log_.c_str(), 1);
    }
    void TearDown() override {
        setenv("PATH", old_path_.c_str(), 1);
        unsetenv("DRWA_OPEN_LOG");
    }

    void Click(int32_t item, std::vector<int32_t> groups) {
        EXPECT_EQ(plugin.Get<decltype(OnMenuItemClick)>("OnMenuItemClick")(
                      nullptr, acc.AccountPath().c_str(), item, groups.data(),
                      static_cast<int32_t>(groups.size())),
                  0);
    }

    // The opener's calls (UTF-8), sorted: detached openers finish in any
    // order, so wait for the `expected` calls and a last one with a marker.
    std::vector<std::string> Opened(std::size_t expected) {
        const std::string marker = acc.folder.native().string() + "/BBS/NEWS";
        Click(1, {0});
        std::vector<std::string> lines;
        for (int waited = 0; waited < 5000; waited += 20) {
            std::ifstream in(log_);
            lines.clear();
            for (std::string line; std::getline(in, line);) lines.push_back(line);
            if (std::count(lines.begin(), lines.end(), "1:" + marker) > 0 &&
                lines.size() >= expected + 1)
                break;
            ::usleep(20000);
        }
        auto at = std::find(lines.begin(), lines.end(), "1:" + marker);
        EXPECT_NE(at, lines.end()) << "the opener never ran";
        if (at != lines.end()) lines.erase(at);
        std::sort(lines.begin(), lines.end());
        return lines;
    }

    LoadedPlugin plugin;
    Account acc;
    std::string log_ = acc.folder.native().string() + "/opened.log";
    std::string old_path_;
};

TEST_F(MenuCommands, EachEntryOpensWhatExists) {
    const std::string bbs = acc.folder.native().string() + "/BBS/";
    struct Case {
        const char* why;
        int32_t item;
        std::vector<int32_t> groups;
        std::vector<std::string> opened;  // "argument count:argument"
    } cases[] = {
        {"URL: the group with an empty URL opens nothing",
         0,
         {0, 1, 2},
         {"1:http://bbs.example/news/"}},
        {"folder: a path with a space stays one argument", 1, {1, 2}, {"1:" + bbs + "my board"}},
        {"error log only where there is one", 2, {0, 1}, {"1:" + bbs + "my board/ErrorLog.txt"}},
        {"send log",
         3,
         {0, 1},
         {"1:" + bbs + reinterpret_cast<const char*>(u8"NEWS/送信LOG.html")}},
        {"no such entry", 4, {0, 1}, {}},
        {"negative entry", -1, {0}, {}},
        {"no groups", 0, {}, {}},
    };
    for (const auto& c : cases) {
        std::remove(log_.c_str());
        Click(c.item, c.groups);
        EXPECT_EQ(Opened(c.opened.size()), c.opened) << c.why;
    }
}

TEST_F(MenuCommands, OpenersAreLeftToNobodyAsZombies) {
    Click(0, {0, 0, 0});
    Opened(3);
    // Every child we started has been reaped already: none is left to wait for.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST_F(MenuCommands, NothingIsReportedThroughTheErrorRecord) {
    // A failing status export leaves its message; the menu neither clears it
    // nor adds one, even for a list pointer that is missing.
    const int32_t gone[] = {2};
    ASSERT_EQ(plugin.Get<decltype(SetGroupEnabled)>("SetGroupEnabled")(acc.AccountPath().c_str(),
                                                                       gone, 1, 1),
              1);
    const std::string error = plugin.LastError();
    ASSERT_FALSE(error.empty());
    Click(1, {0});
    EXPECT_EQ(plugin.Get<decltype(OnMenuItemClick)>("OnMenuItemClick")(
                  nullptr, acc.AccountPath().c_str(), 0, nullptr, 3),
              0);
    EXPECT_EQ(plugin.LastError(), error);
}

}  // namespace
}  // namespace drwa
