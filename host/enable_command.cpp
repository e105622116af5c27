// `enable N...` and `disable N...`: the enabled flag of the listed groups.
#include "host_context.h"

namespace drwa_host {
namespace {

int SetEnabled(HostContext& host, const std::vector<std::string>& args, int32_t enabled) {
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 0);
    auto set = host.library.Get<decltype(SetGroupEnabled)>("SetGroupEnabled");
    if (set(host.Account(), groups.data(), static_cast<int32_t>(groups.size()), enabled) != 0)
        return ReportFailure(host);
    return 0;
}

}  // namespace

int RunEnable(HostContext& host, const std::vector<std::string>& args) {
    return SetEnabled(host, args, 1);
}

int RunDisable(HostContext& host, const std::vector<std::string>& args) {
    return SetEnabled(host, args, 0);
}

}  // namespace drwa_host
