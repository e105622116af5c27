// `groups`: the account's group list as a host shows it, and the helpers the
// group commands share.
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "host_context.h"
#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {

std::vector<int32_t> ParseGroupIndexes(const std::vector<std::string>& args, std::size_t first) {
    std::vector<int32_t> indexes;
    for (std::size_t i = first; i < args.size(); ++i) {
        std::size_t used = 0;
        long value = 0;
        try {
            value = std::stol(args[i], &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != args[i].size() || value < INT32_MIN || value > INT32_MAX)
            throw std::runtime_error("not a group number: " + args[i]);
        indexes.push_back(static_cast<int32_t>(value));
    }
    return indexes;
}

int ReportFailure(const HostContext& host) {
    Print(stderr, "drwa-host: %s\n", host.library.LastError().c_str());
    return 1;
}

int RunGroups(HostContext& host, const std::vector<std::string>&) {
    PluginLibrary& lib = host.library;
    const char* account = host.Account();

    GroupColumn columns[7] = {};
    if (lib.Get<decltype(GetGroupColumns)>("GetGroupColumns")(0, columns) != 0)
        return ReportFailure(host);
    // Column 1 is the name, column 6 the read position; the others are unused.
    Print(stdout, "index\t%s\t%s\tenabled\n", ToUtf8(columns[0].title).c_str(),
          ToUtf8(columns[5].title).c_str());

    const int32_t count = lib.Get<decltype(GetGroupCount)>("GetGroupCount")(account);
    if (count == 0 && !lib.LastError().empty()) return ReportFailure(host);
    auto property = lib.Get<decltype(GetGroupProperty)>("GetGroupProperty");
    auto enabled = lib.Get<decltype(GetGroupEnabled)>("GetGroupEnabled");
    for (int32_t i = 0; i < count; ++i) {
        char name[256] = {}, text1[256] = {}, text2[256] = {}, text3[256] = {};
        int32_t n1 = 0, n2 = 0, n3 = 0;
        if (property(account, i, name, &n1, &n2, &n3, text1, text2, text3) != 0)
            return ReportFailure(host);
        const int32_t on = enabled(account, i);
        if (on == 0 && !lib.LastError().empty()) return ReportFailure(host);
        Print(stdout, "%d\t%s\t%s\t%s\n", i, ToUtf8(name).c_str(), ToUtf8(text2).c_str(),
              on ? "yes" : "no");
    }
    return 0;
}

}  // namespace drwa_host
