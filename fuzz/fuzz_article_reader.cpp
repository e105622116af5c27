// The article reader on outside bytes: article files come from plugins that
// scrape arbitrary boards, so every byte of them is untrusted. Each record is
// composed into mail headers as a receive would, but nothing is written.
// Besides crashes and sanitizer findings it checks what the mails rely on: no
// header line holds a line break (that would let a board smuggle headers into
// the mail), records end only after they began, the board block holds nothing
// but "#" lines, and no line end of the file is lost on the way to Shift_JIS
// (a lost one merges lines, and a record or all that follow can vanish).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "convert/article_reader.h"
#include "convert/mail_composer.h"

namespace {

using namespace drwa::convert;

void Check(bool condition) {
    if (!condition) std::abort();
}

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

class ComposingSink : public ArticleSink {
  public:
    explicit ComposingSink(const MailContext& context) : composer_(context) {}

    void BeginRecord(const BoardValues& board, const ArticleRecord& record) override {
        Check(!open_);
        open_ = true;
        const ComposedMail mail = composer_.Compose(board, record, nullptr);
        Check(!mail.headers.empty() && mail.headers.front().starts_with("Date: "));
        for (const std::string& line : mail.headers) Check(!HasLineBreak(line));
    }
    void BodyLine(std::string_view) override { Check(open_); }
    void EndRecord() override {
        Check(open_);
        open_ = false;
    }

  private:
    MailComposer composer_;
    bool open_ = false;
};

MailContext FixedContext(std::uint8_t variant) {
    MailContext c;
    c.source_name = "Y21fdGVzdA==";
    c.guid = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70";
    c.dummy_domain = "@fuzz.invalid";
    c.group_name = "NEWS";
    c.url = variant & 1 ? "http://bbs.example.jp/test/" : "";
    c.subject_with_number = variant & 2;
    c.subject_digits = 10;
    c.subject_format = "[$N]$S";
    c.title_insert = variant >> 2 & 3;
    c.title_format = "$G($T)";
    c.now = {2024, 2, 29, 23, 59, 59, 4, 9 * 3600};
    return c;
}

// Line ends as the reader counts them: CR LF, CR or LF.
std::size_t LineEnds(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\n' || (s[i] == '\r' && (i + 1 == s.size() || s[i + 1] != '\n'))) ++n;
    }
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte picks the settings; the rest is the article file.
    const MailContext context = FixedContext(data[0]);
    const std::string_view file(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::string text = PrepareArticleText(file);
    Check(std::count(text.begin(), text.end(), '\n') >=
          static_cast<std::ptrdiff_t>(LineEnds(file)));
    ComposingSink sink(context);
    for (const std::string& line : ReadArticleText(text, sink)) {
        Check(line.starts_with("#"));
        Check(!HasLineBreak(line));
    }
    return 0;
}
