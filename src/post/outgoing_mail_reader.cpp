#include "post/outgoing_mail_reader.h"

#include <algorithm>
#include <array>
#include <exception>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "config/group_check.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "platform/files.h"
#include "post/mail_message.h"
#include "post/send_progress.h"
#include "text/header_words.h"
#include "text/japanese_code.h"

namespace drwa::post {
namespace {

constexpr std::array<std::string_view, 3> kPostCommands = {"LIB", "POST", "GET"};

std::string TrimLeft(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    return std::string(s);
}

// The four fields of a post command: method, URL template, parameter
// template, parent number. A method the system does not know voids them all.
struct PostFields {
    std::string command, url, params, parent;
};

bool IsPostCommand(std::string_view command) {
    return std::find(kPostCommands.begin(), kPostCommands.end(), command) != kPostCommands.end();
}

PostFields SplitPostCommand(std::string_view text) {
    std::vector<std::string> f = config::SplitFields(text, 4, true);
    if (!IsPostCommand(f[0])) return {};
    return {f[0], f[1], f[2], f[3]};
}

void SetFields(TPostEml& mail, const PostFields& f) {
    mail.PostCommand = f.command;
    mail.PostUrl = f.url;
    mail.PostParams = f.params;
    mail.ParentNumber = f.parent;
}

// A field left empty by the mail's display name is taken from the board
// file's post template "#P:", when the board file has one.
void CompleteFromBoardFile(TPostEml& mail) {
    if (mail.BoardFile.empty())
        throw Error(config::WithTrailingDelimiter(mail.GroupFolder) +
                    ": 宛先に板の名前がないため板ファイルを読めません");
    const std::string path = config::FileIn(mail.GroupFolder, mail.BoardFile);
    const std::optional<std::string> bytes = platform::ReadFile(path);
    if (!bytes) throw Error(path + ": " + platform::LastSystemErrorText());
    for (const std::string& line : config::SplitLines(*bytes)) {
        if (!line.starts_with("#P:")) continue;
        const std::vector<std::string> t = config::SplitFields(line.substr(3), 4, true);
        PostFields merged{mail.PostCommand, mail.PostUrl, mail.PostParams, mail.ParentNumber};
        for (auto [field, from] : {std::pair{&merged.command, &t[0]},
                                   {&merged.url, &t[1]},
                                   {&merged.params, &t[2]},
                                   {&merged.parent, &t[3]}})
            if (field->empty()) *field = *from;
        if (!IsPostCommand(merged.command)) merged = {};
        SetFields(mail, merged);
        return;
    }
}

// Raised after BadMail is set: the mail can never be posted, whatever the
// next send finds.
[[noreturn]] void FailForGood(TPostEml& mail, const std::string& message) {
    mail.BadMail = true;
    throw Error(message);
}

void Resolve(TPostEml& mail) {
    const std::vector<std::string>& headers = mail.Message.header_lines;
    // Only To counts; Cc and Bcc are never looked at.
    mail.To = ReadHeader("To", headers, true);
    mail.Subject = ReadHeader("Subject", headers, false);

    const std::vector<MailRecipient> recipients = [&] {
        try {
            return ParseRecipients(mail.To);
        } catch (const Error& e) {
            FailForGood(mail, e.what());
        }
    }();
    if (recipients.empty()) FailForGood(mail, "宛先がありません");
    if (recipients.size() > 1) FailForGood(mail, "宛先が複数設定されています");

    // The board file's name comes from an address anybody can write: a name
    // that would reach outside the group folder is never opened.
    const std::optional<config::GroupAddress> address =
        config::ParseGroupAddress(recipients[0].address, mail.DummyDomain);
    if (!address) FailForGood(mail, recipients[0].address + ":の板の名前はファイル名に使えません");
    mail.GroupKey = address->identity;
    mail.BoardFile = address->board_file;

    SetFields(mail, SplitPostCommand(recipients[0].name));

    if (const std::string date = ReadHeader("Date", headers, false); !date.empty())
        if (const std::optional<platform::LocalTime> parsed = ParseMailDate(date))
            mail.PostDate = *parsed;

    const GroupTable& groups = *mail.Groups;
    const auto entry = std::find_if(groups.begin(), groups.end(), [&](const GroupEntry& g) {
        return config::SameTextNoCase(g.guid, mail.GroupKey);
    });
    if (entry == groups.end())
        FailForGood(mail, mail.GroupKey + ":のデータフォルダが設定されていません");
    mail.GroupFolder = entry->folder;
    mail.GroupIndex = static_cast<std::int32_t>(entry - groups.begin());

    if (mail.PostCommand.empty() || mail.PostUrl.empty() || mail.PostParams.empty())
        CompleteFromBoardFile(mail);
    if (mail.PostCommand.empty())
        FailForGood(mail, mail.GroupKey + ":のPostCommandが設定されていません");
}

}  // namespace

std::string ReadHeader(std::string_view name, const std::vector<std::string>& header_lines,
                       bool to_mode) {
    const std::string prefix = std::string(name) + ": ";
    std::string value;
    bool found = false;
    for (const std::string& line : header_lines) {
        if (line.empty()) break;
        if (!found) {
            if (config::StartsWithNoCase(line, prefix)) {
                value = TrimLeft(std::string_view(line).substr(prefix.size()));
                found = true;
            }
        } else if (line[0] == ' ' || line[0] == '\t') {
            value += TrimLeft(line);
        } else {
            break;
        }
    }
    if (!found) return {};
    value = TrimLeft(
        text::ConvertJapaneseCode(text::DecodeHeaderLine(value), text::JapaneseCode::kShiftJis));
    if (to_mode && value.starts_with("\\\"")) config::ReplaceAll(value, "\\\"", "\"");
    return value;
}

void ReadOutgoingMail(TPostEml& mail, const std::string& path) {
    mail.FileName = path;
    mail.Message = LoadRawMail(path);
    try {
        Resolve(mail);
    } catch (const std::exception& e) {
        mail.Fail(e.what());
    }
}

bool ReadOutgoingMails(const std::string& folder, const std::string& dummy_domain,
                       const GroupTable& groups, ProgressCallback callback, SendList& list) {
    std::vector<std::string> paths;
    config::FindOutgoingMailFiles(folder, paths);
    int count = 0;
    for (const std::string& path : paths) {
        TPostEml mail;
        mail.DummyDomain = dummy_domain;
        mail.Groups = &groups;
        ReadOutgoingMail(mail, path);
        list.push_back(std::move(mail));
        if (HostAsksToStop(callback,
                           "送信予定ファイル読込 " + std::to_string(++count) + ":" + path))
            return true;
    }
    // Mails for one group come together, failed ones among them by their text.
    std::stable_sort(list.begin(), list.end(), [](const TPostEml& a, const TPostEml& b) {
        return config::CompareTextNoCase(a.GroupKey, b.GroupKey) < 0;
    });
    return false;
}

}  // namespace drwa::post
