#include "post/send_driver.h"

#include <optional>
#include <vector>

#include "common/error.h"
#include "config/folders.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "config/shared_records.h"
#include "post/http_post.h"
#include "post/outbox_states.h"
#include "post/outgoing_mail_reader.h"
#include "post/post_request_writer.h"
#include "post/send_error_mail.h"
#include "post/send_progress.h"
#include "receive/receive_driver.h"

namespace drwa::post {
namespace {

namespace keys = config::keys;

constexpr const char* kStopped = "送信はユーザーにより中止されました";

void StopIfAsked(ProgressCallback callback, const std::string& text) {
    if (HostAsksToStop(callback, text)) throw Error(kStopped);
}

// Posts one mail the way its post command says; true when the host asked to
// stop on the way.
bool Post(const std::string& account_path, ProgressCallback callback,
          std::vector<std::int32_t>& group_indexes, TPostEml& mail) {
    if (mail.PostCommand == "LIB") return AppendPostRequest(callback, group_indexes, mail);
    return PostOverHttp(account_path, callback,
                        mail.PostCommand == "POST" ? HttpMethod::kPost : HttpMethod::kGet, mail);
}

}  // namespace

GroupTable BuildGroupTable(const std::string& account_path, ProgressCallback callback) {
    const config::IniFile account(account_path);
    const std::string data_folder = config::GetDataFolder(account);
    const std::int32_t count = account.ReadInteger(keys::kPlugin, keys::kGroupCount, 0);
    GroupTable groups;
    for (std::int32_t number = 1; number <= count; ++number) {
        const std::string section = config::GroupSection(number);
        const std::string name = account.ReadString(section, keys::kFolderName, "");
        StopIfAsked(callback, name + "のGUID読込");
        if (name.empty()) throw Error("フォルダ名が設定されていません:" + section);
        std::string folder = config::GroupFolder(data_folder, name);
        const config::IniFile group(config::FileIn(folder, config::kGroupSettingsFile));
        std::string guid = group.ReadString(keys::kBasic, keys::kGuid, "");
        if (guid.empty()) throw Error("GUIDが設定されていません:" + name);
        groups.push_back({std::move(guid), std::move(folder)});
    }
    return groups;
}

std::int32_t SendAllMails(const std::string& account_path, ProgressCallback callback) {
    const std::string dummy_domain = config::ReadDummyDomain();
    StopIfAsked(callback, "送信処理開始");
    const bool plugin_posting = config::ReadRecSendMode() == 1;
    const GroupTable groups = BuildGroupTable(account_path, callback);

    SendList mails;
    Outbox outbox(config::FileIn(config::FolderOfFile(account_path), config::kOutboxFolder));
    if (ReadOutgoingMails(outbox.folder(), dummy_domain, groups, callback, mails))
        throw Error(kStopped);
    outbox.HoldInterrupted(dummy_domain, groups, mails);

    // Posts follow each other without pause; a failed one waits for the next
    // send, a held one for the user.
    std::vector<std::int32_t> group_indexes;
    for (TPostEml& mail : mails) {
        if (mail.Failed()) continue;
        outbox.Watch(mail);
        const bool stopped = Post(account_path, callback, group_indexes, mail);
        outbox.Settle(mail, stopped);
        if (stopped) {
            // What may be on the board is told even when the user stopped.
            WriteSendErrorMail(account_path, mails, true);
            throw Error(kStopped);
        }
    }

    // The queued requests leave at once when the host asked for it: the
    // plugins of exactly these groups run, in the order they got requests.
    std::optional<std::string> receive_failure;
    if (plugin_posting && !group_indexes.empty()) {
        StopIfAsked(callback, "LIBによる送信処理のための巡回開始");
        try {
            receive::ReceiveGroups(account_path, group_indexes, callback);
        } catch (const Error& e) {
            receive_failure = e.what();
        }
    }

    WriteSendErrorMail(account_path, mails);
    HostAsksToStop(callback, "送信処理終了");
    // The receive's failure is the send's result, reported like any failure
    // once the mails that failed are in the error mail.
    if (receive_failure) throw Error(*receive_failure);
    return 0;
}

}  // namespace drwa::post
