// `menu ITEM N...`: runs a menu entry of the group list for the listed groups
// (0 URL, 1 folder, 2 error log, 3 send log). The library opens what exists and
// reports nothing.
#include <stdexcept>

#include "host_context.h"

namespace drwa_host {

int RunMenu(HostContext& host, const std::vector<std::string>& args) {
    if (args.empty()) throw std::runtime_error("usage: menu ITEM N...");
    const std::vector<int32_t> item = ParseGroupIndexes({args[0]}, 0);
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 1);
    return host.library.Get<decltype(OnMenuItemClick)>("OnMenuItemClick")(
        nullptr, host.Account(), item[0], groups.data(), static_cast<int32_t>(groups.size()));
}

}  // namespace drwa_host
