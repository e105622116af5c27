// Child processes on Windows, with the test plugins built beside this program:
// output put back together from pieces, exit codes, a Japanese current folder,
// the kill of a plugin with everything it started, the system's reason for a
// program that is not there, and waits that keep their time limit.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "platform/process.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

std::wstring ProgramFolder() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return path.substr(0, path.find_last_of(L'\\'));
}

// "\"<this program's folder>\<name>.exe\"" + arguments, CP932.
std::string Plugin(std::string_view name, std::string_view arguments = "") {
    const std::string folder = win32::TryWideToCp932(ProgramFolder()).value();
    std::string line = "\"" + folder + "\\" + std::string(name) + ".exe\"";
    if (!arguments.empty()) line += " " + std::string(arguments);
    return line;
}

// A fresh folder under the temporary folder, named in Japanese (表 ends in the
// byte 0x5C, the path separator), as CP932.
std::string JapaneseFolder(std::wstring_view test) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"process_" + std::wstring(test) +
                        std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(path.c_str(), nullptr);
    path += L"\\掲示板 表示";
    CreateDirectoryW(path.c_str(), nullptr);
    return win32::TryWideToCp932(path).value();
}

struct Outcome {
    std::string out, err;
    std::optional<int> code;
};

Outcome RunToEnd(ChildProcess& child) {
    Outcome o;
    const auto out = [&](std::string_view b) { o.out += b; };
    const auto err = [&](std::string_view b) { o.err += b; };
    const ULONGLONG deadline = GetTickCount64() + 20000;
    while (!child.HasExited() && GetTickCount64() < deadline) {
        child.Wait(100);
        child.Drain(out, err);
    }
    child.Drain(out, err);
    o.code = child.ExitCode();
    return o;
}

bool ProcessEnds(DWORD pid, DWORD within_ms) {
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (!h) return true;  // gone already
    const bool ended = WaitForSingleObject(h, within_ms) == WAIT_OBJECT_0;
    CloseHandle(h);
    return ended;
}

TEST(WinChildProcess, PutsPiecesTogetherInAJapaneseCurrentFolder) {
    const std::string folder = JapaneseFolder(L"pieces");
    ChildProcess child(Plugin("pieces"), folder);
    EXPECT_NE(child.id(), 0u);
    const Outcome o = RunToEnd(child);
    // The child saw the folder we gave it, in its own words (GetCurrentDirectoryW).
    EXPECT_EQ(o.out, folder + "\r\n288\r\nb\r\nc");
    EXPECT_EQ(o.err, "warn\r\n");
    EXPECT_EQ(o.code, 0);
}

TEST(WinChildProcess, ReportsTheProgramsExitCode) {
    const std::string folder = JapaneseFolder(L"codes");
    for (int code : {0, 1, 7, 255}) {
        ChildProcess child(Plugin("exit_code", std::to_string(code)), folder);
        EXPECT_EQ(RunToEnd(child).code, code);
    }
}

TEST(WinChildProcess, AMissingProgramGivesTheSystemsReason) {
    const std::string folder = JapaneseFolder(L"missing");
    try {
        ChildProcess child("no_such_plugin_here.exe", folder);
        FAIL() << "started a program that does not exist";
    } catch (const Error& e) {
        const std::string what = e.what();
        EXPECT_EQ(what.rfind("システム エラー。コード : 2.\n", 0), 0u) << what;
        EXPECT_NE(what.find("no_such_plugin_here.exe"), std::string::npos) << what;
    }
}

TEST(WinChildProcess, WaitKeepsItsTimeLimit) {
    ChildProcess child(Plugin("silent", "3000"), JapaneseFolder(L"silent"));
    // A busy machine (every look at a pipe is a round trip to Wine's server)
    // may add a little; a wait that ran on to the plugin's end or a fixed step
    // would be far past this.
    for (int timeout : {0, 40, 250}) {
        const ULONGLONG start = GetTickCount64();
        child.Wait(timeout);
        const ULONGLONG took = GetTickCount64() - start;
        EXPECT_LE(took, static_cast<ULONGLONG>(timeout) + 100) << timeout;
        EXPECT_GE(took + 20, static_cast<ULONGLONG>(timeout)) << "returned early: " << timeout;
    }
    EXPECT_FALSE(child.HasExited());
    child.Kill();
}

TEST(WinChildProcess, ExitEndsTheWaitAtOnce) {
    ChildProcess child(Plugin("silent", "200"), JapaneseFolder(L"exit"));
    const ULONGLONG start = GetTickCount64();
    while (!child.HasExited() && GetTickCount64() - start < 5000) child.Wait(5000);
    EXPECT_LT(GetTickCount64() - start, 1500u);
    EXPECT_EQ(child.ExitCode(), 0);
}

// The last resort of the receive's time limit, which knows the plugin only by
// its process id and may come after the runner has let go of it.
TEST(WinChildProcess, KillByIdEndsThePluginAndWhatItStarted) {
    std::string out;
    DWORD pid = 0;
    {
        ChildProcess child(Plugin("stubborn"), JapaneseFolder(L"kill"));
        pid = child.id();
        const ULONGLONG deadline = GetTickCount64() + 10000;
        while (out.find("\r\n") == std::string::npos && GetTickCount64() < deadline) {
            child.Wait(100);
            child.Drain([&](std::string_view b) { out += b; }, [](std::string_view) {});
        }
        child.Break();  // ignored by this plugin (and not delivered by Wine at all)
        child.Wait(300);
        EXPECT_FALSE(child.HasExited());
    }  // letting go never ends the process
    ASSERT_EQ(out.rfind("child ", 0), 0u) << out;
    const DWORD grandchild = static_cast<DWORD>(std::stoul(out.substr(6)));
    EXPECT_FALSE(ProcessEnds(pid, 200));
    EXPECT_FALSE(ProcessEnds(grandchild, 0));

    KillProcessGroup(pid);
    EXPECT_TRUE(ProcessEnds(pid, 5000));
    EXPECT_TRUE(ProcessEnds(grandchild, 5000));
}

}  // namespace
}  // namespace drwa::platform
