// The account lock as drwa-host's commands take it.
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "host_context.h"
#include "host_system.h"

namespace drwa_host {

drwa::platform::AccountLock LockAccount(const HostContext& host) {
    using drwa::platform::AccountLock;
    const std::string account = LockPath(host.Account());
    try {
        if (auto lock = AccountLock::TryAcquire(account)) return std::move(*lock);
        const std::string lock_file = LockText(AccountLock::LockPathFor(account));
        if (host.no_wait)
            throw std::runtime_error("another command is working on this account (lock file " +
                                     lock_file + "); try again later");
        Print(stderr, "drwa-host: waiting for another command on this account (lock file %s)\n",
              lock_file.c_str());
        return AccountLock::Acquire(account);
    } catch (const std::system_error& e) {
        throw std::runtime_error(LockText(e.what()));
    }
}

}  // namespace drwa_host
