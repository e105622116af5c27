// What every drwa-host command works with: the loaded library and the global
// options of the command line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/account_lock.h"
#include "plugin_library.h"

namespace drwa_host {

struct HostContext {
    PluginLibrary& library;
    std::optional<std::string> account;  // CP932 absolute path of the account settings file
    std::optional<std::string> trace_file;
    bool no_wait = false;  // --no-wait: a locked account is an error, not a wait

    // The account path, or a usage error when --account was not given.
    const char* Account() const;
};

// Holds the account's lock for as long as the result lives: receive, send and
// deliver never overlap on one account. Waits for the holder (saying so on
// standard error), or with --no-wait throws std::runtime_error at once.
drwa::platform::AccountLock LockAccount(const HostContext& host);

// A command: its arguments after the command name; returns the exit status.
using CommandFn = int (*)(HostContext&, const std::vector<std::string>&);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

int RunInfo(HostContext&, const std::vector<std::string>&);
// Every export found by name and by ordinal; 1 when the two ways disagree.
int RunExports(HostContext&, const std::vector<std::string>&);

// The group commands. Group numbers are the host's 0-based indexes.
int RunGroups(HostContext&, const std::vector<std::string>&);
int RunEnable(HostContext&, const std::vector<std::string>&);
int RunDisable(HostContext&, const std::vector<std::string>&);
int RunDelete(HostContext&, const std::vector<std::string>&);
int RunCheck(HostContext&, const std::vector<std::string>&);
int RunMenu(HostContext&, const std::vector<std::string>&);
// The group properties dialog: listed groups, or a new group without N.
int RunEditGroup(HostContext&, const std::vector<std::string>&);
// The account dialog; an account file that does not exist yet is made first.
int RunEditAccount(HostContext&, const std::vector<std::string>&);

// Receiving, and handing the mails to a mail client.
int RunReceive(HostContext&, const std::vector<std::string>&);
int RunDeliver(HostContext&, const std::vector<std::string>&);
// Posting: SendAll for every mail of the outbox.
int RunSend(HostContext&, const std::vector<std::string>&);
// Posting from a mail client: one mail on standard input into the outbox.
int RunSendmail(HostContext&, const std::vector<std::string>&);
// Held mails listed, or given back to the outbox for the next send.
int RunResend(HostContext&, const std::vector<std::string>&);

// args[first..] as 32-bit numbers; throws std::runtime_error on anything else.
std::vector<int32_t> ParseGroupIndexes(const std::vector<std::string>& args, std::size_t first);
// Prints the library's last error on standard error; returns 1.
int ReportFailure(const HostContext& host);

}  // namespace drwa_host
