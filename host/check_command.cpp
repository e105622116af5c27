// `check ADDRESS`: prints 1 when the address belongs to an enabled group of the
// account whose board file exists, else 0. The exit status is 0 for either
// answer and 1 when the library failed.
#include <cstdio>
#include <stdexcept>

#include "host_context.h"
#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {

int RunCheck(HostContext& host, const std::vector<std::string>& args) {
    if (args.size() != 1) throw std::runtime_error("usage: check ADDRESS");
    const std::string address = ToCp932(args[0]);
    PluginLibrary& lib = host.library;
    const int32_t result =
        lib.Get<decltype(CheckGroup)>("CheckGroup")(host.Account(), address.c_str());
    Print(stdout, "%d\n", result);
    // 0 is also the failure value: only the error record tells them apart.
    if (result == 0 && !lib.LastError().empty()) return ReportFailure(host);
    return 0;
}

}  // namespace drwa_host
