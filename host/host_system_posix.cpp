// The host on POSIX: the command line and the terminal are UTF-8, Ctrl-C is
// SIGINT, and paths are the UTF-8 forms of the library's CP932 paths.
#include <signal.h>
#include <unistd.h>

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

std::atomic<bool>* interrupt_flag = nullptr;
struct sigaction previous_action {};

void OnInterrupt(int) {
    if (interrupt_flag) interrupt_flag->store(true);
    static const char note[] = "\ndrwa-host: stopping...\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, note, sizeof note - 1);
}

}  // namespace

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void PrepareStandardStreams() {}

void Print(std::FILE* stream, const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stream, format, args);
    va_end(args);
}

bool LiveTerminal() {
    const char* term = std::getenv("TERM");
    return isatty(STDOUT_FILENO) && term && std::strcmp(term, "dumb") != 0;
}

void CatchInterrupt(std::atomic<bool>& flag) {
    interrupt_flag = &flag;
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &previous_action);
}

void ReleaseInterrupt() {
    sigaction(SIGINT, &previous_action, nullptr);
    interrupt_flag = nullptr;
}

std::string ProgramFolder() {
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : self.parent_path().string();
}

// Beside the program in a build folder; in its own folder under the
// architecture's library folder once installed.
std::string DefaultLibraryPath() {
    constexpr const char* kName = "libdrwa_plugin.so";
    const std::filesystem::path bin = ProgramFolder();
    if (bin.empty()) return kName;
    std::error_code ec;
    if (std::filesystem::exists(bin / kName, ec)) return (bin / kName).string();
#ifdef DRWA_LIBRARY_SUBDIR
    const auto installed = bin.parent_path() / DRWA_LIBRARY_SUBDIR / kName;
    if (std::filesystem::exists(installed, ec)) return installed.string();
#endif
    return (bin / kName).string();
}

std::string LibraryPath(const std::string& utf8) {
    return ToCp932(std::filesystem::absolute(utf8).lexically_normal().string());
}

std::FILE* OpenForAppend(const std::string& utf8) {
    return std::fopen(utf8.c_str(), "ab");
}

std::string LockPath(const std::string& cp932) {
    return ToUtf8(cp932);
}

std::string LockText(const std::string& text) {
    return text;
}

}  // namespace drwa_host
