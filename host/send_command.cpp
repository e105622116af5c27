// `send`: SendAll, every mail of the outbox posted to its board; with
// --mode 1 the plugins of the groups with queued posts run at once.
#include <stdexcept>

#include "host_context.h"
#include "progress_display.h"

namespace drwa_host {

int RunSend(HostContext& host, const std::vector<std::string>& args) {
    if (!args.empty()) throw std::runtime_error("usage: send");
    const char* account = host.Account();
    const auto lock = LockAccount(host);
    ProgressDisplay display(host.trace_file);
    const int32_t result =
        host.library.Get<decltype(SendAll)>("SendAll")(nullptr, account, display.callback());
    return result == 0 ? 0 : ReportFailure(host);
}

}  // namespace drwa_host
