// `info`: what the library says about itself.
#include <cstdio>

#include "host_context.h"
#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {

int RunInfo(HostContext& host, const std::vector<std::string>&) {
    PluginLibrary& lib = host.library;
    char text[512] = {};

    int32_t n = lib.Get<decltype(GetPluginName)>("GetPluginName")(text);
    Print(stdout, "name:     %s (%d bytes)\n", ToUtf8(text).c_str(), n);
    n = lib.Get<decltype(GetPluginVersion)>("GetPluginVersion")(text);
    Print(stdout, "version:  %s (%d bytes)\n", ToUtf8(text).c_str(), n);
    n = lib.Get<decltype(GetPluginAuthor)>("GetPluginAuthor")(text);
    Print(stdout, "author:   %s\n", ToUtf8(text).c_str());
    if (host.account) {
        int32_t threads = lib.Get<decltype(ThreadSupported)>("ThreadSupported")(0, host.Account());
        Print(stdout, "threads:  %d\n", threads);
    }

    GroupColumn columns[7] = {};
    if (lib.Get<decltype(GetGroupColumns)>("GetGroupColumns")(0, columns) != 0) {
        Print(stderr, "drwa-host: %s\n", lib.LastError().c_str());
        return 1;
    }
    Print(stdout, "columns:\n");
    for (int i = 0; i < 7; ++i) {
        Print(stdout, "  %d  format %d  width %3d  %s\n", i + 1, columns[i].format,
              columns[i].width, ToUtf8(columns[i].title).c_str());
    }

    n = lib.Get<decltype(GetMenuItems)>("GetMenuItems")(0, 0, text, 0, 0);
    Print(stdout, "menu (%d bytes):\n", n);
    std::string menu = ToUtf8(text);
    for (std::size_t at = 0; at < menu.size();) {
        std::size_t end = menu.find("\r\n", at);
        if (end == std::string::npos) end = menu.size();
        Print(stdout, "  %s\n", menu.substr(at, end - at).c_str());
        at = end + 2;
    }
    return 0;
}

}  // namespace drwa_host
