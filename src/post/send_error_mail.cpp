#include "post/send_error_mail.h"

#include <map>

#include "common/error.h"
#include "config/folders.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "convert/mail_date.h"
#include "platform/files.h"
#include "text/header_words.h"
#include "text/japanese_code.h"

namespace drwa::post {
namespace {

constexpr std::size_t kHeadLines = 5;

// What became of each bad mail's file, by its path: true deleted, false not
// deletable. A bad mail without an entry had no file any more.
using Removals = std::map<std::string, bool>;

std::string ToMail(std::string_view sjis) {
    return text::ConvertJapaneseCode(sjis, text::JapaneseCode::kIso2022Jp);
}

// What becomes of the mail file: a bad mail is deleted (it could never be
// posted, and its text is in this mail); a held one waits for the user; any
// other stays for the next send.
std::optional<std::string> Action(const TPostEml& mail, const Removals& removals) {
    if (mail.Held)
        return "処置:ファイルを " + mail.FileName +
               " に移しました。二重投稿を避けるため自動では投稿しません。掲示板に届いていなけれ"
               "ば、このファイルを SMTP.BOX に戻すと次回の送信で投稿します";
    if (!mail.BadMail) return "処置:次回再度投稿にトライします";
    const auto removal = removals.find(mail.FileName);
    if (removal == removals.end()) return std::nullopt;
    if (removal->second) return "処置:ファイル " + mail.FileName + "を削除しました";
    return "処置:ファイル " + mail.FileName + "を削除できませんでした";
}

bool Reported(const TPostEml& mail, bool only_held) {
    return mail.Failed() && (mail.Held || !only_held);
}

std::vector<std::string> Lines(const SendList& list, const Removals& removals, bool only_held) {
    std::vector<std::string> lines = {
        "From: \"KVT7R ERROR SYSTEM\" <>",
        convert::DateHeader("", "", platform::LocalNow()),
        "Content-Type: text/plain; charset=ISO-2022-JP",
        text::EncodeHeaderLine("Subject: 投稿時にエラーが発生しました"),
        "",
    };
    for (const TPostEml& mail : list) {
        if (!Reported(mail, only_held)) continue;
        lines.push_back(ToMail("ファイル名:" + mail.FileName));
        lines.push_back(ToMail("エラーメッセージ:" + mail.GroupKey.substr(kErrorPrefix.size())));
        if (const std::optional<std::string> action = Action(mail, removals))
            lines.push_back(ToMail(*action));
        lines.push_back(ToMail("Subject: " + mail.Subject));
        lines.push_back(ToMail("To: " + mail.To));
        for (const std::string& line : mail.Message.body_lines) lines.push_back(ToMail(line));
        lines.push_back(std::string(70, '-'));
    }
    return lines;
}

}  // namespace

void WriteSendErrorMail(const std::string& account_path, const SendList& list, bool only_held) {
    // Written as if every bad mail went; rewritten in the rare case one won't.
    Removals removals;
    for (const TPostEml& mail : list)
        if (Reported(mail, only_held) && mail.BadMail && !mail.Held &&
            platform::FileExists(mail.FileName))
            removals[mail.FileName] = true;
    const std::vector<std::string> lines = Lines(list, removals, only_held);
    if (lines.size() <= kHeadLines) return;
    const config::IniFile account(account_path);
    const std::string spool = config::GetSpoolFolder(account);
    if (!platform::FolderExists(spool)) platform::CreateFolders(spool);
    const std::string path = spool + config::NewGuidString() + ".eml";
    if (!platform::WriteNewFile(path, config::JoinLinesCrLf(lines)))
        throw Error(path + " に書き込めません");

    bool all_went = true;
    for (auto& [file, deleted] : removals) {
        deleted = platform::DeleteFile(file);
        all_went = all_went && deleted;
    }
    if (!all_went)
        platform::WriteFileAtomic(path, config::JoinLinesCrLf(Lines(list, removals, only_held)));
}

}  // namespace drwa::post
