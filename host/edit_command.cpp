// The dialogs: `edit-group [N...]` for the listed groups, or for a new group
// without N, and `edit-account`. The library shows them and runs its own event
// loop until they close; afterwards the group list may have changed.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "host_context.h"
#include "terminal_text.h"

namespace drwa_host {

int RunEditGroup(HostContext& host, const std::vector<std::string>& args) {
    const std::vector<int32_t> groups = ParseGroupIndexes(args, 0);
    auto edit = host.library.Get<decltype(EditGroupProperty)>("EditGroupProperty");
    if (edit(nullptr, host.Account(), groups.data(), static_cast<int32_t>(groups.size())) != 0)
        return ReportFailure(host);
    return 0;
}

// A new user starts here: an account file that does not exist yet is made
// (empty, in a folder that must exist), so that the dialog can fill it.
int RunEditAccount(HostContext& host, const std::vector<std::string>& args) {
    if (!args.empty()) throw std::runtime_error("edit-account takes no arguments");
    const std::filesystem::path path = ToUtf8(host.Account());
    if (!std::filesystem::exists(path)) {
        if (!std::filesystem::is_directory(path.parent_path()))
            throw std::runtime_error("no folder " + path.parent_path().string());
        if (!std::ofstream(path, std::ios::binary))
            throw std::runtime_error("cannot create " + path.string());
        std::fprintf(stderr, "drwa-host: new account file %s\n", path.c_str());
    }
    auto edit = host.library.Get<decltype(EditAccount)>("EditAccount");
    if (edit(nullptr, host.Account()) != 0) return ReportFailure(host);
    return 0;
}

}  // namespace drwa_host
