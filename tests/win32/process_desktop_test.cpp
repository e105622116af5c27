// The desktop services of the Windows build where no user is at hand: the
// library's console, message boxes, the shell, the Shift key, and the proxy
// from the user's Internet settings written into Wine's private registry.
#include <io.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/console.h"
#include "platform/keyboard.h"
#include "platform/open_handler.h"
#include "platform/proxy_source.h"
#include "platform/question.h"

namespace drwa::platform {
namespace {

// A second AllocConsole fails while the process has a console: that is how
// the test sees one. Without a display Wine makes a console whose handles do
// not work, so its title is checked only where it can be read.
TEST(WinConsole, AllocatesATitledConsoleOnlyWhenThereIsNoneAndFreesIt) {
    FreeConsole();  // as a host without a console of its own loads the library
    {
        ProcessConsole console("KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:表");
        EXPECT_FALSE(AllocConsole()) << "no console allocated";
        wchar_t title[256] = {};
        if (GetConsoleTitleW(title, 256) > 0) {
            EXPECT_EQ(std::wstring(title), L"KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:表");
        }
        // A window shown at first is hidden by the first call, which fails;
        // without a window (no display) there is nothing to hide.
        const bool first = console.Hide();
        EXPECT_TRUE(console.Hide());
        if (HWND window = GetConsoleWindow()) {
            EXPECT_FALSE(IsWindowVisible(window));
        } else {
            EXPECT_TRUE(first);
        }

        // A console the process has already is the user's: left alone.
        { ProcessConsole second("another title"); }
        EXPECT_FALSE(AllocConsole()) << "freed a console it did not allocate";
        if (GetConsoleTitleW(title, 256) > 0) {
            EXPECT_EQ(std::wstring(title), L"KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:表");
        }
    }
    EXPECT_TRUE(AllocConsole()) << "the console was not freed";
    FreeConsole();
}

TEST(WinQuestions, ABoxThatCannotBeShownIsTheSafeAnswer) {
    auto boxes = WindowQuestions(nullptr);
    EXPECT_EQ(boxes->AskOkCancel("グループを削除しますか?"), Answer::kCancel);
    EXPECT_FALSE(boxes->AskYesNo("続けますか?"));
    boxes->ShowError("エラー");  // returns rather than waiting for a user
    boxes->ShowInformation("お知らせ");
}

// A console program's questions when a script answers through a pipe: the
// question goes out as UTF-8, as on the other platforms, and the answer line
// may end in CR LF.
TEST(WinQuestions, TheTerminalFormReadsPipedAnswers) {
    const struct {
        const char* input;
        Answer expected;
    } cases[] = {
        {"y\r\n", Answer::kOk},
        {" YES \n", Answer::kOk},
        {"n\r\n", Answer::kCancel},
        {"", Answer::kCancel},  // the end of the input is the safe answer
    };
    for (const auto& c : cases) {
        HANDLE in_read, in_write, out_read, out_write;
        ASSERT_TRUE(CreatePipe(&in_read, &in_write, nullptr, 0));
        ASSERT_TRUE(CreatePipe(&out_read, &out_write, nullptr, 0));
        DWORD done = 0;
        WriteFile(in_write, c.input, static_cast<DWORD>(strlen(c.input)), &done, nullptr);
        CloseHandle(in_write);
        const int in_fd = _open_osfhandle(reinterpret_cast<intptr_t>(in_read), 0);
        const int out_fd = _open_osfhandle(reinterpret_cast<intptr_t>(out_write), 0);
        TerminalQuestions terminal(in_fd, out_fd);
        EXPECT_EQ(terminal.AskOkCancel("削除しますか?"), c.expected) << c.input;
        _close(out_fd);
        char buf[256];
        std::string shown;
        while (ReadFile(out_read, buf, sizeof buf, &done, nullptr) && done > 0)
            shown.append(buf, done);
        CloseHandle(out_read);
        _close(in_fd);
        EXPECT_EQ(shown.rfind(reinterpret_cast<const char*>(u8"削除しますか?\n(y: OK"), 0), 0u)
            << shown;
    }
}

TEST(WinShell, RefusesWhatCannotBeOpenedAndReadsTheShiftKey) {
    EXPECT_FALSE(OpenWithDefaultHandler("C:\\no such folder\\掲示板\\none.txt"));
    EXPECT_FALSE(OpenWithDefaultHandler("\x81"));  // half a CP932 character: no name at all
    EXPECT_FALSE(OpenWithDefaultHandler(""));
    EXPECT_FALSE(ShiftKeyHeld());  // nobody is at the keyboard
}

class WinProxySource : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &key_, nullptr),
                  ERROR_SUCCESS);
        Clear();
    }
    void TearDown() override {
        Clear();
        RegCloseKey(key_);
    }
    void Clear() {
        RegDeleteValueW(key_, L"ProxyEnable");
        RegDeleteValueW(key_, L"ProxyServer");
    }
    void Set(const wchar_t* name, DWORD type, const void* data, std::size_t size) {
        ASSERT_EQ(RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data),
                                 static_cast<DWORD>(size)),
                  ERROR_SUCCESS);
    }
    void SetServer(const std::wstring& server) {
        Set(L"ProxyServer", REG_SZ, server.c_str(), (server.size() + 1) * sizeof(wchar_t));
    }
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY key_ = nullptr;
};

TEST_F(WinProxySource, ReadsBothFormsOfProxyEnableAndTheServerInCp932) {
    EXPECT_FALSE(ReadSystemProxySettings().proxy_enable) << "no value: nothing to interpret";

    const DWORD number = 2;
    Set(L"ProxyEnable", REG_DWORD, &number, sizeof number);
    SetServer(L"proxy.example:8080");
    SystemProxySettings s = ReadSystemProxySettings();
    ASSERT_TRUE(s.proxy_enable);
    EXPECT_FALSE(s.proxy_enable->is_binary);
    EXPECT_EQ(s.proxy_enable->number, 2);
    EXPECT_EQ(s.proxy_server, "proxy.example:8080");

    const unsigned char binary[] = {1, 0, 0, 0};
    Set(L"ProxyEnable", REG_BINARY, binary, sizeof binary);
    SetServer(L"ftp=f:21;http=表示.example:3128");
    s = ReadSystemProxySettings();
    ASSERT_TRUE(s.proxy_enable);
    EXPECT_TRUE(s.proxy_enable->is_binary);
    EXPECT_EQ(s.proxy_enable->bytes, std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(s.proxy_server, "ftp=f:21;http=表示.example:3128");

    // A name CP932 cannot write is no proxy we could reach, not another name.
    SetServer(L"caf\u00e9\u20ac.example:80");
    EXPECT_EQ(ReadSystemProxySettings().proxy_server, "");
}

}  // namespace
}  // namespace drwa::platform
