// What ReceiveOne and ReceiveAll do: every listed, enabled group's plugin run
// and its articles converted into mail.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drwa_plugin.h"
#include "receive/receive_job.h"

namespace drwa::receive {

// Receives the groups of the 0-based `indexes`, in that order. Fails with the
// first failure's message (a plugin that cannot run, a stop asked for by the
// host: account name + "の受信は中止されました").
void ReceiveGroups(const std::string& account_path, const std::vector<std::int32_t>& indexes,
                   ProgressCallback callback);

// The jobs for the listed groups: disabled groups and empty sections are
// skipped; each enabled group's settings file gets the proxy for its plugin.
// Fails with "プラグインが指定されていません" for a group without a plugin
// kind, before any plugin has run.
std::vector<ReceiveJob> BuildReceiveJobs(const std::string& account_path,
                                         const std::vector<std::int32_t>& indexes,
                                         ProgressCallback callback);

// The name the account goes by in messages: its folder's name.
std::string AccountName(const std::string& account_path);

}  // namespace drwa::receive
