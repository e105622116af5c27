// The host on Windows: the command line comes as UTF-16 and is taken as
// UTF-8; a console is written in UTF-16 (its code page mangles UTF-8) while a
// pipe or file gets the UTF-8 bytes the Linux host writes; Ctrl-C is a console
// event; every path goes through the wide API.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdarg>
#include <memory>
#include <stdexcept>

#include "host_system.h"
#include "terminal_text.h"
#include "wide_text_win32.h"

namespace drwa_host {
namespace {

std::atomic<bool>* interrupt_flag = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    if (interrupt_flag) interrupt_flag->store(true);
    static const char note[] = "\ndrwa-host: stopping...\n";
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), note, sizeof note - 1, &written, nullptr);
    return TRUE;
}

struct LocalFreer {
    void operator()(LPWSTR* p) const { LocalFree(p); }
};

// The console behind a stream, or nullptr when it is a pipe or a file.
HANDLE ConsoleOf(std::FILE* stream) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return nullptr;
    return handle;
}

}  // namespace

std::vector<std::string> Utf8Arguments(int, char**) {
    int count = 0;
    std::unique_ptr<LPWSTR, LocalFreer> words(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!words)
        throw std::runtime_error("cannot read the command line: " + SystemMessage(GetLastError()));
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(Utf8FromWide(words.get()[i]));
    return out;
}

void PrepareStandardStreams() {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}

void Print(std::FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(n > 0 ? static_cast<std::size_t>(n) : 0, '\0');
    if (n > 0) std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);

    if (HANDLE console = ConsoleOf(stream)) {
        std::fflush(stream);
        // Lenient here: a console shows U+FFFD for bytes that are no UTF-8.
        std::wstring wide(text.size(), L'\0');
        const int w = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                          wide.data(), static_cast<int>(wide.size()));
        DWORD written = 0;
        WriteConsoleW(console, wide.data(), static_cast<DWORD>(w > 0 ? w : 0), &written, nullptr);
    } else {
        std::fwrite(text.data(), 1, text.size(), stream);
    }
}

bool LiveTerminal() {
    // Redrawing in place takes the console's escape sequences (Windows 10 on).
    constexpr DWORD kVirtualTerminalProcessing = 0x0004;
    HANDLE console = ConsoleOf(stdout);
    DWORD mode = 0;
    return console && GetConsoleMode(console, &mode) &&
           SetConsoleMode(console, mode | kVirtualTerminalProcessing);
}

void CatchInterrupt(std::atomic<bool>& flag) {
    interrupt_flag = &flag;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void ReleaseInterrupt() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    interrupt_flag = nullptr;
}

std::string DefaultLibraryPath() {
    std::wstring self(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, self.data(), static_cast<DWORD>(self.size()));
        if (n == 0) return "drwa_plugin.dll";
        if (n < self.size()) {
            self.resize(n);
            break;
        }
        self.resize(self.size() * 2);
    }
    self.erase(self.find_last_of(L"\\/") + 1);
    return Utf8FromWide(self + L"drwa_plugin.dll");
}

std::string LibraryPath(const std::string& utf8) {
    const std::wstring given = WideFromUtf8(utf8);
    const DWORD size = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD n = size ? GetFullPathNameW(given.c_str(), size, full.data(), nullptr) : 0;
    if (n == 0 || n >= size)
        throw std::runtime_error("cannot make a full path of " + utf8 + ": " +
                                 SystemMessage(GetLastError()));
    full.resize(n);
    return Cp932FromWide(full);
}

std::FILE* OpenForAppend(const std::string& utf8) {
    return _wfopen(WideFromUtf8(utf8).c_str(), L"ab");
}

// The library's platform layer, the lock included, takes CP932 paths and
// words its errors in CP932.
std::string LockPath(const std::string& cp932) {
    return cp932;
}

std::string LockText(const std::string& text) {
    return ToUtf8(text);
}

}  // namespace drwa_host
