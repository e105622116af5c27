// The account lock as drwa-host's commands take it.
#include <cstdio>
#include <stdexcept>

#include "host_context.h"
#include "terminal_text.h"

namespace drwa_host {

drwa::platform::AccountLock LockAccount(const HostContext& host) {
    const std::string account = ToUtf8(host.Account());
    if (auto lock = drwa::platform::AccountLock::TryAcquire(account)) return std::move(*lock);
    const std::string lock_file = drwa::platform::AccountLock::LockPathFor(account);
    if (host.no_wait)
        throw std::runtime_error("another command is working on this account (lock file " +
                                 lock_file + "); try again later");
    std::fprintf(stderr, "drwa-host: waiting for another command on this account (lock file %s)\n",
                 lock_file.c_str());
    return drwa::platform::AccountLock::Acquire(account);
}

}  // namespace drwa_host
