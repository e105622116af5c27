#include "post/outbox_states.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "common/error.h"
#include "config/folders.h"
#include "platform/files.h"
#include "post/outgoing_mail_reader.h"

namespace drwa::post {
namespace {

// A mail that went out must leave the outbox: the next send would post it a
// second time.
void RemovePosted(const std::string& path) {
    if (!platform::FileExists(path) || platform::DeleteFile(path)) return;
    throw Error("ファイル「" + path + "」が削除できません\r\n" +
                "二重投稿になるので、手動でこのファイルを削除してください");
}

}  // namespace

std::string MoveMailInto(const std::string& file, const std::string& folder) {
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
    // The host picks its outbox names afresh and may use one again: a held
    // mail of the same name must not be replaced.
    const std::string name = config::NameOfPath(file);
    const std::size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot),
                      extension = dot == std::string::npos ? "" : name.substr(dot);
    std::string target = platform::JoinPath(folder, name);
    for (int n = 2; platform::FileExists(target); ++n)
        target = platform::JoinPath(folder, stem + "-" + std::to_string(n) + extension);
    platform::RenameFile(file, target);
    return target;
}

Outbox::Outbox(std::string folder)
    : folder_(std::move(folder)),
      sending_(platform::JoinPath(folder_, kSendingFolder)),
      held_(platform::JoinPath(folder_, kHeldFolder)) {}

void Outbox::HoldInterrupted(const std::string& dummy_domain, const GroupTable& groups,
                             SendList& mails) const {
    std::vector<std::string> names;
    for (const platform::FolderEntry& e : platform::ListFolder(sending_))
        if (!e.is_folder && !e.name.starts_with(".")) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        TPostEml mail;
        mail.DummyDomain = dummy_domain;
        mail.Groups = &groups;
        ReadOutgoingMail(mail, MoveMailInto(platform::JoinPath(sending_, name), held_));
        mail.Hold("投稿が掲示板に届いたかわかりません。前回の送信が投稿の途中で終わりました");
        mails.push_back(std::move(mail));
    }
}

void Outbox::Watch(TPostEml& mail) {
    on_its_way_.clear();
    mail.Leaving = [this, &mail] {
        try {
            on_its_way_ = MoveMailInto(mail.FileName, sending_);
            return true;
        } catch (const Error& e) {
            mail.Fail(std::string("送信前にファイルを移せません:") + e.what());
            return false;
        }
    };
}

void Outbox::Settle(TPostEml& mail, bool stopped) {
    mail.Leaving = nullptr;
    const std::string path = std::exchange(on_its_way_, {});
    // The host's outbox keeps only what the host expects, once the mail has
    // left the folder of mails on their way.
    struct Tidy {
        const std::string& folder;
        ~Tidy() { platform::RemoveEmptyFolder(folder); }
    } tidy{sending_};
    if (path.empty()) {
        if (!stopped && !mail.Failed()) RemovePosted(mail.FileName);
    } else if (mail.Held) {
        // A move that fails leaves it on its way, which the next send holds
        // as well.
        try {
            mail.FileName = MoveMailInto(path, held_);
        } catch (const Error&) {
            mail.FileName = path;
        }
    } else if (stopped || mail.Failed()) {
        mail.FileName = MoveMailInto(path, folder_);
    } else {
        RemovePosted(path);
    }
}

}  // namespace drwa::post
