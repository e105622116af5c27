#include "convert/mail_composer.h"

#include "config/text_helpers.h"
#include "convert/comma_text.h"
#include "convert/mail_date.h"
#include "convert/mail_formats.h"
#include "platform/url.h"
#include "text/header_words.h"

namespace drwa::convert {
namespace {

using text::EncodeHeaderLine;

std::string FromLine(const ArticleRecord& r) {
    if (!r.name.empty()) return EncodeHeaderLine("From: " + r.name + " <" + r.email + ">");
    if (!r.email.empty()) return EncodeHeaderLine("From: <" + r.email + ">");
    return {};
}

// The post command a reply to this article goes out with: the display name of
// the Reply-To carries method, URL template, parameter template and the number
// answered.
std::string ReplyToLine(const MailContext& c, const BoardValues& board, const ArticleRecord& r,
                        const std::string& number_text) {
    std::string tmpl;
    for (const std::string* candidate :
         {&r.reply_template, &board.reply_template, &r.post_template, &board.post_template}) {
        if (!candidate->empty()) {
            tmpl = *candidate;
            break;
        }
    }
    if (tmpl.empty()) return {};
    const std::size_t fields = SplitCommaText(tmpl).size();
    if (fields == 1)
        tmpl += ",,";
    else if (fields == 2)
        tmpl += ",";
    config::ReplaceAll(tmpl, "$Sr", number_text);
    return EncodeHeaderLine("Reply-To: " + Quoted(tmpl + "," + number_text) + " <" +
                            c.GroupAddress() + ">");
}

std::string ListHost(const MailContext& c) {
    std::string host = platform::UrlHost(c.url.empty() ? c.upload_url : c.url);
    return host.empty() ? kFallbackListHost : host;
}

std::string BoardTitleLine(const MailContext& c, const BoardValues& board) {
    if (c.title_insert == 0) return {};
    const std::string title = FormatBbsTitle(c.title_format, c.group_name, board.title);
    if (c.title_insert == 1) return EncodeHeaderLine("X-KVT7R-BBS-TITLE: " + title);
    const std::string named = title.empty() ? "" : Quoted(title) + " ";
    if (c.title_insert == 2) return EncodeHeaderLine("Cc: " + named + "<" + c.GroupAddress() + ">");
    return EncodeHeaderLine("List-Id: " + named + "<" + c.source_name + "." + c.guid + "." +
                            ListHost(c) + ">");
}

}  // namespace

MailComposer::MailComposer(const MailContext& context) : context_(context) {
    if (!context.url.empty()) url_line_ = EncodeHeaderLine("X-KVT7R-BBS-URL: " + context.url);
}

const std::string& MailComposer::TitleLine(const BoardValues& board) {
    if (!title_line_ || title_for_ != board.title) {
        title_line_ = BoardTitleLine(context_, board);
        title_for_ = board.title;
    }
    return *title_line_;
}

ComposedMail MailComposer::Compose(const BoardValues& board, const ArticleRecord& r,
                                   const NumberList* numbers) {
    const MailContext& c = context_;
    ComposedMail mail;
    auto& h = mail.headers;
    h.reserve(16);
    h.push_back(DateHeader(r.date, r.time, c.now));
    if (std::string from = FromLine(r); !from.empty()) h.push_back(std::move(from));
    h.push_back("Content-Type: text/plain; charset=ISO-2022-JP");

    std::string key;
    if (r.number == "*") {
        key = HashKey(r.name + r.title + r.date + r.time);
    } else {
        if (numbers) mail.duplicate = numbers->Contains(r.number);
        key = NumberKey(r.number);
    }
    if (key.empty()) key = config::NewGuidString();
    const std::string number_text = NumberText(r.number);

    const std::string subject = c.subject_with_number ? FormatSubject(c.subject_format, r.title,
                                                                      number_text, c.subject_digits)
                                                      : r.title;
    h.push_back(EncodeHeaderLine("Subject: " + subject));

    mail.article_id = c.source_name + "." + c.guid + "." + key;
    h.push_back("Message-Id: <" + mail.article_id + ">");
    if (!r.parent.empty() && r.parent != "*") {
        const std::string parent =
            "<" + c.source_name + "." + c.guid + "." + NumberKey(r.parent) + ">";
        h.push_back("In-Reply-To: " + parent);
        h.push_back("References: " + parent);
    }
    if (std::string reply = ReplyToLine(c, board, r, number_text); !reply.empty())
        h.push_back(std::move(reply));
    if (const std::string& title = TitleLine(board); !title.empty()) h.push_back(title);
    if (!url_line_.empty()) h.push_back(url_line_);
    if (!number_text.empty())
        h.push_back(EncodeHeaderLine("X-KVT7R-BBS-ARTICLE-NO: " + number_text));
    for (const std::string& line : r.plugin_lines)
        h.push_back(EncodeHeaderLine("X-PLUGIN-HEADER-" + line.substr(0, 1) + ": " + line));
    return mail;
}

ComposedMail ComposeMail(const MailContext& context, const BoardValues& board,
                         const ArticleRecord& record, const NumberList* numbers) {
    return MailComposer(context).Compose(board, record, numbers);
}

}  // namespace drwa::convert
