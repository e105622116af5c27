#include "receive/receive_error_mail.h"

#include <vector>

#include "config/folders.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "convert/mail_date.h"
#include "platform/files.h"
#include "text/header_words.h"
#include "text/japanese_code.h"
#include "text/sjis_bytes.h"

namespace drwa::receive {
namespace {

std::string ToMail(std::string_view sjis) {
    return text::ConvertJapaneseCode(sjis, text::JapaneseCode::kIso2022Jp);
}

}  // namespace

void WriteReceiveErrorMail(std::string_view message, const std::string& account_path,
                           const std::string& group_ini_path) {
    const config::GroupLabel names = config::GroupLabelOf(config::FolderOfFile(group_ini_path));
    const std::string label = names.base + " " + names.group;

    std::vector<std::string> lines = {
        "From: \"KVT7R ERROR SYSTEM\" <>",
        // The date and time of now: no article date to read.
        convert::DateHeader("", "", platform::LocalNow()),
        "Content-Type: text/plain; charset=ISO-2022-JP",
        text::EncodeHeaderLine("Subject: " + label + " 受信時にエラーが発生しました"),
        "",
        ToMail(label + " の受信時にエラーが発生しました"),
        ToMail("--------------------------以下エラーメッセージ--------------------------"),
    };
    for (const std::string& line : config::SplitLines(message)) lines.push_back(ToMail(line));

    const config::IniFile account(account_path);
    const std::string spool = config::GetSpoolFolder(account);
    if (!platform::FolderExists(spool)) platform::CreateFolders(spool);
    platform::WriteNewFile(spool + config::NewGuidString() + ".eml", config::JoinLinesCrLf(lines));
}

}  // namespace drwa::receive
