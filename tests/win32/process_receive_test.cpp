// The receive's runner and pool over .exe plugins on Windows: a plugin's lines
// reach the host one by one, and a plugin that ignores the break is ended at
// the pool's hard limit together with the child it started, through the job
// the pool knows only by the plugin's process id.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/process.h"
#include "platform/win32/wide_text.h"
#include "receive/console_thread.h"
#include "receive/jushin_thread_control.h"
#include "receive/plugin_runner.h"

namespace drwa::receive {
namespace {

std::vector<std::string> g_statuses;

void DRWA_CALL Record(const char* text, std::int32_t* abort_flag) {
    g_statuses.emplace_back(text);
    *abort_flag = 0;
}

std::string ProgramFolder() {
    wchar_t self[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, n);
    return platform::win32::TryWideToCp932(path.substr(0, path.find_last_of(L'\\'))).value();
}

// "<temp>\receive_<test><pid>\掲示板\<group>" with an account file two levels
// up, CP932; the account sets the time limit in seconds.
std::string GroupFolder(const std::wstring& test, int time_limit_s, std::string& account) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring root =
        std::wstring(temp) + L"receive_" + test + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(root.c_str(), nullptr);
    CreateDirectoryW((root + L"\\掲示板").c_str(), nullptr);
    const std::wstring group = root + L"\\掲示板\\表示";
    CreateDirectoryW(group.c_str(), nullptr);
    const std::string account_ini = "[PLUGIN]\r\nTIMEOUT2=" + std::to_string(time_limit_s) + "\r\n";
    account = platform::win32::TryWideToCp932(root + L"\\account.ini").value();
    HANDLE f = CreateFileW((root + L"\\account.ini").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    DWORD done = 0;
    WriteFile(f, account_ini.data(), static_cast<DWORD>(account_ini.size()), &done, nullptr);
    CloseHandle(f);
    return platform::win32::TryWideToCp932(group).value();
}

TEST(WinReceive, APluginsLinesReachTheHostOneByOne) {
    std::string account;
    const std::string folder = GroupFolder(L"lines", 60, account);
    ReceiveJob job;
    job.AccountIniPath = account;
    job.GroupIniPath = folder + "\\drwa_BBS.ini";
    job.CommandLine = "\"" + ProgramFolder() + "\\pieces.exe\"";
    job.Callback = Record;
    g_statuses.clear();
    EXPECT_TRUE(RunGroupPlugin(job));
    EXPECT_NE(job.ProcessId, 0u);
    const std::string marker = " 表示 受信中 ";
    std::vector<std::string> lines;
    for (const auto& s : g_statuses)
        if (auto at = s.find(marker); at != std::string::npos)
            lines.push_back(s.substr(at + marker.size()));
    // "288" arrives in two pieces and is still one line; "2" alone may have
    // been shown as the unfinished line first, and "c" (no line end) both as
    // it came and once more as what was left at the end.
    std::erase(lines, "2");
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{folder, "288", "b", "c", "cmwファイル削除"}));
    ASSERT_FALSE(g_statuses.empty());
    EXPECT_NE(g_statuses.back().find(" 表示 受信正常終了"), std::string::npos) << g_statuses.back();
}

TEST(WinReceive, ThePoolEndsAPluginIgnoringTheBreakWithItsChildAtTheHardLimit) {
    std::string account;
    const std::string folder = GroupFolder(L"kill", 1, account);
    ReceiveJob job;
    job.AccountIniPath = account;
    job.GroupIniPath = folder + "\\drwa_BBS.ini";
    job.CommandLine = "\"" + ProgramFolder() + "\\stubborn.exe\"";
    job.Callback = Record;
    g_statuses.clear();

    const ULONGLONG start = GetTickCount64();
    TJushinThreadControl pool({job}, 1, /*grace_ms=*/1000);
    EXPECT_NE(pool.RunWorkers() & 0xFF, 0) << "a killed worker is an aborted receive";
    EXPECT_LT(GetTickCount64() - start, 15000u);

    DWORD grandchild = 0;
    for (const auto& s : g_statuses)
        if (auto at = s.find("child "); at != std::string::npos)
            grandchild = static_cast<DWORD>(std::stoul(s.substr(at + 6)));
    ASSERT_NE(grandchild, 0u) << "the plugin never reported its child";
    HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, grandchild);
    if (h) {
        EXPECT_EQ(WaitForSingleObject(h, 5000), WAIT_OBJECT_0) << "the plugin's child outlived it";
        CloseHandle(h);
    }
}

// Unloading under the loader lock cannot wait for the console thread: the
// thread holds the library instead, and the library goes when the thread lets
// go of it (at once where the console has no window to hide, as under Wine;
// after its course, about 16.5 s, where it has one).
TEST(WinReceive, UnloadingTheLibraryNeverWaitsForItsConsoleThread) {
    const std::wstring name = L"process_console_library.dll";
    HMODULE library = LoadLibraryW(name.c_str());
    ASSERT_NE(library, nullptr);
    Sleep(200);
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(FreeLibrary(library));
    EXPECT_LT(GetTickCount64() - start, 1000u);
    const ULONGLONG limit = 16500 + 2 * TConsoleThread::kSuccessPauseMs;
    while (GetModuleHandleW(name.c_str()) && GetTickCount64() - start < limit) Sleep(100);
    EXPECT_EQ(GetModuleHandleW(name.c_str()), nullptr) << "still loaded after its thread's course";
}

// A process's end kills the console thread before the library's destructors
// run: they must not wait for it then (a condition variable the dead thread
// waited on never wakes).
TEST(WinReceive, AHostEndsAtOnceWhileTheConsoleThreadRuns) {
    const std::string folder = ProgramFolder();
    for (const char* how : {"", "free"}) {
        platform::ChildProcess host("\"" + folder + "\\console_library_host.exe\" " + how, folder);
        const ULONGLONG start = GetTickCount64();
        while (!host.HasExited() && GetTickCount64() - start < 10000) {
            host.Wait(100);
            host.Drain([](std::string_view) {}, [](std::string_view) {});
        }
        EXPECT_LT(GetTickCount64() - start, 10000u) << "hung at its end: " << how;
        EXPECT_EQ(host.ExitCode(), 0) << how;
        if (!host.HasExited()) host.Kill();
    }
}

}  // namespace
}  // namespace drwa::receive
