#include "post/post_request_writer.h"

#include <algorithm>
#include <exception>

#include "config/folders.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "platform/files.h"
#include "post/send_progress.h"
#include "post/url_template.h"
#include "text/japanese_code.h"

namespace drwa::post {
namespace {

std::string TwoDigits(int n) {
    return std::string{static_cast<char>('0' + n / 10 % 10), static_cast<char>('0' + n % 10)};
}

// "S:*," + parent + "," + yy/mm/dd + "," + time + ",U,": a new article (no
// number yet) still pending. Times before noon have a blank and no leading
// zero (" 9:05"), later ones two digits ("13:05"); plugins read both.
std::string StatusLine(const TPostEml& mail) {
    const platform::LocalTime& t = mail.PostDate;
    const std::string time = t.hour < 12 ? " " + std::to_string(t.hour) + ":" + TwoDigits(t.minute)
                                         : TwoDigits(t.hour) + ":" + TwoDigits(t.minute);
    return "S:*," + (mail.ParentNumber.empty() ? std::string("*") : mail.ParentNumber) + "," +
           TwoDigits(t.year % 100) + "/" + TwoDigits(t.month) + "/" + TwoDigits(t.day) + "," +
           time + ",U,";
}

// All requests for one source share the file named after its board file.
std::string RequestFilePath(const TPostEml& mail) {
    std::string base = mail.BoardFile;
    if (base.size() >= 4) base.resize(base.size() - 4);  // ".cmt"
    return config::FileIn(mail.GroupFolder, base + ".cmw");
}

// The file's lines with its header block replaced by a fresh one that counts
// one more request. Only "#U:" is read back; a file of "#" lines alone has no
// recognised header block, so they all stay below the new one.
std::vector<std::string> WithNewHeader(const std::vector<std::string>& old) {
    std::int32_t count = 0;
    std::size_t header_end = 0;
    bool all_header = true;
    for (const std::string& line : old) {
        if (!line.starts_with("#")) {
            all_header = false;
            break;
        }
        if (line.starts_with("#U:"))
            if (auto n = config::ParseIniInteger(std::string_view(line).substr(3))) count = *n;
        ++header_end;
    }
    if (all_header) header_end = 0;
    std::vector<std::string> lines = {
        "#T:", "#N:0", "#U:" + std::to_string(count + 1), "#B:0", "#R:0", "#F:", "#P:",
    };
    lines.insert(lines.end(), old.begin() + static_cast<std::ptrdiff_t>(header_end), old.end());
    return lines;
}

}  // namespace

std::vector<std::string> PostRequestRecord(const TPostEml& mail,
                                           const std::string& group_settings) {
    std::vector<std::string> lines = {StatusLine(mail), "T:" + mail.Subject};
    if (!mail.PostParams.empty()) {
        const config::IniFile group(group_settings);
        lines.push_back("P:" + mail.PostCommand + "," + ExpandUrlTemplate(group, mail.PostUrl) +
                        "," + mail.PostParams);
    }
    const std::vector<std::string>& body = mail.Message.body_lines;
    lines.push_back("M:");
    for (std::size_t i = 0; i < body.size(); ++i) {
        std::string line = text::ConvertJapaneseCode(body[i], text::JapaneseCode::kShiftJis);
        if (i == 0)
            lines.back() += line;
        else
            // A lone "." would end the record early.
            lines.push_back(line == "." ? ". " : std::move(line));
    }
    lines.push_back(".");
    return lines;
}

bool AppendPostRequest(ProgressCallback callback, std::vector<std::int32_t>& group_indexes,
                       TPostEml& mail) {
    if (HostAsksToStop(callback, "LIBによる送信開始")) return true;
    try {
        // Listed first: the plugin runs for the group even when this request
        // cannot be written, so the requests queued before still leave.
        if (std::find(group_indexes.begin(), group_indexes.end(), mail.GroupIndex) ==
            group_indexes.end())
            group_indexes.push_back(mail.GroupIndex);
        const std::string path = RequestFilePath(mail);
        const std::optional<std::string> bytes = platform::ReadFile(path);
        std::vector<std::string> lines = WithNewHeader(config::SplitLines(bytes.value_or("")));
        const std::vector<std::string> record =
            PostRequestRecord(mail, config::FileIn(mail.GroupFolder, config::kGroupSettingsFile));
        lines.insert(lines.end(), record.begin(), record.end());
        if (!mail.MayLeave()) return false;
        config::SaveLinesLf(lines, path);
    } catch (const std::exception& e) {
        mail.Fail(e.what());
    }
    return false;
}

}  // namespace drwa::post
