// DeleteGroup end to end: drwa-host runs as a child process with its own
// environment, so that GLib finds the test's trash and never caches another,
// and answers the question from its standard input.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
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

// Last: Xlib defines macros (None, Bool) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace drwa {
namespace {

namespace fs = std::filesystem;
using testing::GroupAccount;

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

// A virtual X display, for the keyboard state.
class VirtualDisplay {
  public:
    VirtualDisplay() {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                     "320x200x24", static_cast<char*>(nullptr));
            ::_exit(127);
        }
        ::close(fds[1]);
        pollfd p{fds[0], POLLIN, 0};
        std::string number;
        char c;
        while (::poll(&p, 1, 10000) > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        ::close(fds[0]);
        if (!number.empty()) name_ = ":" + number;
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

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
