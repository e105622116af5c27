// DeleteGroup end to end: drwa-host runs as a child process with its own
// environment, so that GLib finds the test's trash and never caches another,
// and answers the question from its standard input.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "config/group_fixture.h"
#include "platform/keyboard.h"
#include "support/virtual_display.h"

// Last: Xlib defines macros (None, Bool) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace drwa {
namespace {

namespace fs = std::filesystem;
using testing::GroupAccount;
using testing::VirtualDisplay;

struct Account : GroupAccount {
    Account()
        : GroupAccount(
              "[PLUGIN]\r\nGROUP_COUNT=3\r\n[00001]\r\nFOLDER_NAME=NEWS\r\n"
              "[00002]\r\nFOLDER_NAME=雑談\r\n[00003]\r\nFOLDER_NAME=ZZZ\r\n") {
        AddGroup("NEWS");
        AddGroup("雑談");
        AddGroup("ZZZ");
        folder.Write("BBS/雑談/board.cmt", "articles");
    }
    fs::path Native(const char* utf8) const { return folder.native() / utf8; }
};

struct HostRun {
    int status;
    std::string out, err;
};

// drwa-host with `env` prepended (VAR=value ... or -u VAR) and `input` on its
// standard input.
HostRun RunHost(const Account& acc, const std::string& env, const std::string& input,
                const std::string& command) {
    const fs::path dir = acc.folder.native();
    std::ofstream(dir / "in.txt") << input;
    const std::string line = "env " + env + " '" + DRWA_HOST_PATH + "' --account '" +
                             (dir / "account.ini").string() + "' " + command + " <'" +
                             (dir / "in.txt").string() + "' >'" + (dir / "out.txt").string() +
                             "' 2>'" + (dir / "err.txt").string() + "'";
    const int raw = std::system(line.c_str());
    auto slurp = [&](const char* name) {
        std::ifstream in(dir / name);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp("out.txt"), slurp("err.txt")};
}

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

TEST(DeleteGroupHost, CancelLeavesTheSettingsFileByteForByte) {
    Account acc;
    const std::string before = acc.AccountBytes();
    for (const char* answer : {"n\n", "", "no\n"}) {
        HostRun run = RunHost(acc, "-u DISPLAY", answer, "delete 0 1");
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find(Utf8(u8"選択されたグループを削除してよろしいですか？")),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(acc.AccountBytes(), before);
        EXPECT_TRUE(acc.Has("NEWS"));
    }
}

TEST(DeleteGroupHost, OkMovesTheFolderToTheTrash) {
    Account acc;
    const fs::path data_home = acc.Native("xdg-data");
    HostRun run =
        RunHost(acc, "-u DISPLAY XDG_DATA_HOME='" + data_home.string() + "'", "y\n", "delete 1");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "groups: 2\n");
    EXPECT_FALSE(acc.Has("雑談"));
    const fs::path trashed =
        data_home / "Trash" / "files" / reinterpret_cast<const char*>(u8"雑談");
    EXPECT_TRUE(fs::exists(trashed / "board.cmt")) << "not in the trash, with its content";
    std::ifstream info(data_home / "Trash" / "info" /
                       reinterpret_cast<const char*>(u8"雑談.trashinfo"));
    std::stringstream text;
    text << info.rdbuf();
    EXPECT_NE(text.str().find("Path=" + acc.Native("BBS").string() + "/%E9%9B%91%E8%AB%87"),
              std::string::npos)
        << text.str();
    const config::IniFile account = acc.GroupAccount::Account();
    EXPECT_EQ(account.ReadString("PLUGIN", "GROUP_COUNT", ""), "2");
    EXPECT_EQ(account.ReadString("00002", "FOLDER_NAME", ""), "ZZZ");
}

TEST(DeleteGroupHost, FailureIsReportedInUtf8) {
    Account acc;
    fs::remove_all(acc.Native("BBS/NEWS"));
    HostRun run = RunHost(acc, "-u DISPLAY XDG_DATA_HOME='" + acc.Native("xdg").string() + "'",
                          "y\n", "delete 0");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(Utf8(u8"drwa-host: システム エラー。コード : ")), std::string::npos)
        << run.err;
}

// Presses or releases Shift through the XTEST extension, loaded at run time as
// its headers are not needed anywhere else.
bool FakeShift(Display* display, bool down) {
    using FakeKeyEvent = int (*)(Display*, unsigned, int, unsigned long);
    static void* xtst = ::dlopen("libXtst.so.6", RTLD_NOW);
    if (!xtst) return false;
    auto fake = reinterpret_cast<FakeKeyEvent>(::dlsym(xtst, "XTestFakeKeyEvent"));
    if (!fake) return false;
    fake(display, XKeysymToKeycode(display, XK_Shift_L), down ? 1 : 0, 0);
    XSync(display, 0);
    return true;
}

TEST(DeleteGroupHost, ShiftHeldRemovesForGood) {
    VirtualDisplay x;
    if (x.name().empty()) GTEST_SKIP() << "no Xvfb";
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(x.name().c_str()),
                                                        XCloseDisplay);
    ASSERT_TRUE(display);

    setenv("DISPLAY", x.name().c_str(), 1);
    EXPECT_FALSE(platform::ShiftKeyHeld());
    if (!FakeShift(display.get(), true)) GTEST_SKIP() << "no XTEST library";
    EXPECT_TRUE(platform::ShiftKeyHeld());

    Account acc;
    const fs::path data_home = acc.Native("xdg-data");
    HostRun run =
        RunHost(acc, "DISPLAY=" + x.name() + " XDG_DATA_HOME='" + data_home.string() + "'", "y\n",
                "delete 1");
    FakeShift(display.get(), false);
    EXPECT_FALSE(platform::ShiftKeyHeld());
    unsetenv("DISPLAY");

    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.err.find(Utf8(u8"選択されたグループを完全に削除してよろしいですか？")),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(acc.Has("雑談"));
    EXPECT_FALSE(fs::exists(data_home / "Trash" / "files")) << "went to the trash";
}

}  // namespace
}  // namespace drwa
