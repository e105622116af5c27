#include "post/mail_message.h"

#include "common/error.h"
#include "config/text_helpers.h"
#include "platform/files.h"

// The raw reading of a mail file needs no mail library; the address and date
// readers live beside this file, one pair per back-end.
namespace drwa::post {

RawMail SplitRawMail(std::string_view bytes) {
    RawMail mail;
    bool in_body = false;
    for (std::string& line : config::SplitLines(bytes)) {
        if (in_body)
            mail.body_lines.push_back(std::move(line));
        else if (line.empty())
            in_body = true;
        else
            mail.header_lines.push_back(std::move(line));
    }
    return mail;
}

RawMail LoadRawMail(std::string_view path) {
    const std::optional<std::string> bytes = platform::ReadFile(path);
    if (!bytes) throw Error(std::string(path) + ": " + platform::LastSystemErrorText());
    return SplitRawMail(*bytes);
}

}  // namespace drwa::post
