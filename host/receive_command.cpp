// `receive [N...]`: ReceiveOne for the listed groups, ReceiveAll without.
#include <cstdio>

#include "host_context.h"
#include "progress_display.h"

namespace drwa_host {

int RunReceive(HostContext& host, const std::vector<std::string>& args) {
    PluginLibrary& lib = host.library;
    const char* account = host.Account();
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 0);
    const auto lock = LockAccount(host);
    ProgressDisplay display(host.trace_file);
    int32_t result;
    if (groups.empty()) {
        result = lib.Get<decltype(ReceiveAll)>("ReceiveAll")(nullptr, account, display.callback());
    } else {
        result = lib.Get<decltype(ReceiveOne)>("ReceiveOne")(nullptr, account, groups.data(),
                                                             static_cast<int32_t>(groups.size()),
                                                             display.callback());
    }
    return result == 0 ? 0 : ReportFailure(host);
}

}  // namespace drwa_host
