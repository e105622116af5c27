#include "post/send_error_mail.h"

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

std::string ToMail(std::string_view sjis) {
    return text::ConvertJapaneseCode(sjis, text::JapaneseCode::kIso2022Jp);
}

// What became of the mail file: a bad mail is deleted now (it could never be
// posted, and its text is in this mail); any other stays for the next send.
std::optional<std::string> Action(const TPostEml& mail) {
    if (!mail.BadMail) return "処置:次回再度投稿にトライします";
    if (!platform::FileExists(mail.FileName)) return std::nullopt;
    if (platform::DeleteFile(mail.FileName))
        return "処置:ファイル " + mail.FileName + "を削除しました";
    return "処置:ファイル " + mail.FileName + "を削除できませんでした";
}

}  // namespace

std::vector<std::string> SendErrorMailLines(const SendList& list) {
    std::vector<std::string> lines = {
        "From: \"KVT7R ERROR SYSTEM\" <>",
        convert::DateHeader("", "", platform::LocalNow()),
        "Content-Type: text/plain; charset=ISO-2022-JP",
        text::EncodeHeaderLine("Subject: 投稿時にエラーが発生しました"),
        "",
    };
    for (const TPostEml& mail : list) {
        if (!mail.Failed()) continue;
        lines.push_back(ToMail("ファイル名:" + mail.FileName));
        lines.push_back(ToMail("エラーメッセージ:" + mail.GroupKey.substr(kErrorPrefix.size())));
        if (const std::optional<std::string> action = Action(mail))
            lines.push_back(ToMail(*action));
        lines.push_back(ToMail("Subject: " + mail.Subject));
        lines.push_back(ToMail("To: " + mail.To));
        for (const std::string& line : mail.Message.body_lines) lines.push_back(ToMail(line));
        lines.push_back(std::string(70, '-'));
    }
    return lines;
}

void WriteSendErrorMail(const std::string& account_path, const SendList& list) {
    const std::vector<std::string> lines = SendErrorMailLines(list);
    if (lines.size() <= kHeadLines) return;
    const config::IniFile account(account_path);
    const std::string spool = config::GetSpoolFolder(account);
    if (!platform::FolderExists(spool)) platform::CreateFolders(spool);
    platform::WriteNewFile(spool + config::NewGuidString() + ".eml", config::JoinLinesCrLf(lines));
}

}  // namespace drwa::post
