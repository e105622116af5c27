// `delete N...`: the library asks first (on the terminal: "y" is OK, anything
// else or the end of the input is Cancel), then deletes and rebuilds the list.
#include <cstdio>

#include "host_context.h"
#include "host_system.h"

namespace drwa_host {

int RunDelete(HostContext& host, const std::vector<std::string>& args) {
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 0);
    PluginLibrary& lib = host.library;
    auto remove = lib.Get<decltype(DeleteGroup)>("DeleteGroup");
    if (remove(nullptr, host.Account(), groups.data(), static_cast<int32_t>(groups.size())) != 0)
        return ReportFailure(host);
    // The list may have been rebuilt: a host reads the count again.
    Print(stdout, "groups: %d\n",
          lib.Get<decltype(GetGroupCount)>("GetGroupCount")(host.Account()));
    return 0;
}

}  // namespace drwa_host
