// The header lines of the mail made from one article record.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "convert/article_reader.h"
#include "convert/number_list.h"
#include "platform/system.h"

namespace drwa::convert {

// What stays the same for every record of one article file.
struct MailContext {
    std::string source_name;   // file-name Base64 of the article file's base name
    std::string guid;          // the group's identity
    std::string dummy_domain;  // starts with "@"
    std::string group_name;    // $G of the title format
    std::string url;           // [BASIC] URL
    std::string upload_url;    // [BASIC] UPURL
    bool subject_with_number = false;
    std::int32_t subject_digits = 10;
    std::string subject_format;
    std::int32_t title_insert = 1;
    std::string title_format;
    platform::LocalTime now;  // for dates and times that cannot be read

    // source name + "." + GUID + dummy domain: where replies to the group go.
    std::string GroupAddress() const { return source_name + "." + guid + dummy_domain; }
};

struct ComposedMail {
    std::vector<std::string> headers;  // ASCII lines, without line ends
    std::string article_id;            // source name + "." + GUID + "." + article key
    bool duplicate = false;            // its number was delivered before
};

// Composes the mails of one article file. The board URL and board title
// lines are the same for record after record (the title changes only with a
// "#T:" line), so each is made once rather than for every one of thousands of
// records.
class MailComposer {
  public:
    // `context` must outlive the composer.
    explicit MailComposer(const MailContext& context);

    // The header lines of a record, in their fixed order. With a number list
    // (the group keeps one), a number already in it marks the mail a duplicate.
    ComposedMail Compose(const BoardValues& board, const ArticleRecord& record,
                         const NumberList* numbers);

  private:
    const std::string& TitleLine(const BoardValues& board);

    const MailContext& context_;
    std::string url_line_;                   // empty when the group has no URL
    std::optional<std::string> title_line_;  // made for the board title title_for_
    std::string title_for_;
};

// One record on its own: MailComposer(context).Compose(...).
ComposedMail ComposeMail(const MailContext& context, const BoardValues& board,
                         const ArticleRecord& record, const NumberList* numbers);

// Host part used in List-Id when the group has no address at all.
inline constexpr const char* kFallbackListHost = "bbs.invalid";

}  // namespace drwa::convert
