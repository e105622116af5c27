#include "receive/receive_driver.h"

#include <algorithm>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "config/ini_file.h"
#include "config/proxy_settings.h"
#include "config/settings_keys.h"
#include "receive/article_conversion.h"
#include "receive/jushin_thread_control.h"
#include "receive/plugin_command_line.h"
#include "receive/plugin_runner.h"
#include "text/sjis_bytes.h"

namespace drwa::receive {
namespace {

namespace keys = config::keys;

// Plugins learn the proxy from their settings file; a proxy no longer in use
// must not linger there.
void HandOverProxy(const config::ProxyResult& proxy, config::IniFile& group) {
    if (!proxy.host.empty() && proxy.port > 0)
        group.WriteString(keys::kBasic, keys::kProxy,
                          proxy.host + ":" + std::to_string(proxy.port));
    else
        group.DeleteKey(keys::kBasic, keys::kProxy);
}

void Tell(ProgressCallback callback, const std::string& text) {
    if (!callback) return;
    std::int32_t ignored = 0;
    callback(text.c_str(), &ignored);
}

}  // namespace

std::string AccountName(const std::string& account_path) {
    return config::NameOfPath(config::FolderOfFile(account_path));
}

std::vector<ReceiveJob> BuildReceiveJobs(const std::string& account_path,
                                         const std::vector<std::int32_t>& indexes,
                                         ProgressCallback callback) {
    const config::IniFile account(account_path);
    const std::string data_folder = config::GetDataFolder(account);
    std::vector<ReceiveJob> jobs;
    std::vector<std::int32_t> seen;
    for (std::int32_t index : indexes) {
        // A group listed twice is received once: two runs of one plugin in one
        // folder would fight over its files.
        if (std::find(seen.begin(), seen.end(), index) != seen.end()) continue;
        seen.push_back(index);
        const std::string folder_name = account.ReadString(
            config::GroupSection(static_cast<int>(index) + 1), keys::kFolderName, "");
        if (folder_name.empty()) continue;
        config::IniFile group(config::FileIn(config::GroupFolder(data_folder, folder_name),
                                             config::kGroupSettingsFile));
        if (!group.ReadBool(keys::kBasic, keys::kBbsFolder, false)) continue;

        ReceiveJob job;
        job.AccountIniPath = account_path;
        job.GroupIniPath = group.path();
        job.Callback = callback;
        job.SlotNumber = group.ReadInteger(keys::kOption, keys::kThreadNumber, 0);
        HandOverProxy(config::LookUpProxy(account), group);
        job.CommandLine = PluginCommandLine(account, group.ReadString(keys::kBasic, keys::kLib, ""),
                                            group.ReadInteger(keys::kBasic, keys::kLibType, 0));
        jobs.push_back(std::move(job));
    }
    return jobs;
}

void ReceiveGroups(const std::string& account_path, const std::vector<std::int32_t>& indexes,
                   ProgressCallback callback) {
    const std::string name = AccountName(account_path);
    Tell(callback, name + "の受信を開始しました");
    const config::IniFile account(account_path);
    const bool convert_after_abort = account.ReadBool(keys::kPlugin, keys::kAbortTransLog, false);

    std::vector<ReceiveJob> jobs = BuildReceiveJobs(account_path, indexes, callback);
    const std::int32_t threads =
        account.ReadInteger(keys::kPlugin, keys::kThreadCount, keys::kDefaultThreadCount);
    if (threads >= 2 && jobs.size() >= 2) {
        TJushinThreadControl pool(jobs, threads);
        if ((pool.RunWorkers() & 0xFF) != 0) throw Error(name + "の受信は中止されました");
        Tell(callback, name + "の受信は完了しました");
        return;
    }
    for (ReceiveJob& job : jobs) {
        if (!RunGroupPlugin(job)) {
            // What the plugin fetched before the stop may still be wanted.
            if (convert_after_abort) ConvertArticleFiles(job);
            throw Error(name + "の受信は中止されました");
        }
        ConvertArticleFiles(job);
    }
    Tell(callback, name + "の受信は完了しました");
}

}  // namespace drwa::receive
