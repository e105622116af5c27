// The texts that reach the receive side from files others write: settings
// files (any editor, any plugin), post-request files (plugins mark them), the
// command lines stored in settings, and the system's proxy server text.
//
// The first byte chooses the parser; the rest is its input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "common/error.h"
#include "config/ini_file.h"
#include "config/proxy_settings.h"
#include "platform/command_line.h"
#include "receive/post_request_pruner.h"

namespace {

const std::string& Scratch() {
    static const std::string path = "/dev/shm/drwa-fuzz-" + std::to_string(getpid());
    return path;
}

void WriteScratch(std::string_view bytes) {
    std::ofstream(Scratch(), std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void Settings(std::string_view bytes) {
    WriteScratch(bytes);
    drwa::config::IniFile ini(Scratch());
    for (const auto& section : ini.ReadSections()) {
        for (const auto& key : ini.ReadSection(section)) {
            ini.ReadString(section, key, "");
            ini.ReadInteger(section, key, 0);
        }
    }
    // A write keeps every other line: reading again finds the same sections.
    const auto before = ini.ReadSections().size();
    ini.WriteString("BASIC", "PROXY", "h:1");
    if (ini.ReadSections().size() < before) __builtin_trap();
    if (ini.ReadString("BASIC", "PROXY", "") != "h:1") __builtin_trap();
}

void Requests(std::string_view bytes) {
    WriteScratch(bytes);
    try {
        drwa::receive::PrunePostRequestFile(Scratch());
    } catch (const drwa::Error&) {
    }
}

void Proxy(std::string_view bytes) {
    drwa::platform::SystemProxySettings s{drwa::platform::ProxyEnableValue{true, "\x01", 0},
                                          std::string(bytes)};
    try {
        drwa::config::DetectSystemProxy(s);
    } catch (const drwa::Error&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    switch (data[0] % 4) {
        case 0:
            Settings(rest);
            break;
        case 1:
            Requests(rest);
            break;
        case 2:
            drwa::platform::SplitCommandLine(rest);
            break;
        default:
            Proxy(rest);
            break;
    }
    return 0;
}
