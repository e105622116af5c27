// `edit-group [N...]`: the group properties dialog for the listed groups, or
// for a new group without N. The library shows it and runs its own event loop
// until it closes; afterwards the group list may have changed.
#include "host_context.h"

namespace drwa_host {

int RunEditGroup(HostContext& host, const std::vector<std::string>& args) {
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 0);
    auto edit = host.library.Get<decltype(EditGroupProperty)>("EditGroupProperty");
    if (edit(nullptr, host.Account(), groups.data(), static_cast<int32_t>(groups.size())) != 0)
        return ReportFailure(host);
    return 0;
}

}  // namespace drwa_host
