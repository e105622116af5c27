// The header lines of one record: what replies, threads and the board title
// depend on. Japanese values are checked through the header decoder, the rest
// byte for byte.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "convert/mail_composer.h"
#include "text/header_words.h"
#include "text/japanese_code.h"

namespace drwa::convert {
namespace {

constexpr const char* kAddress = "Y21fdGVzdA==.GUID-1@bbs.invalid";

MailContext Context() {
    MailContext c;
    c.source_name = "Y21fdGVzdA==";
    c.guid = "GUID-1";
    c.dummy_domain = "@bbs.invalid";
    c.group_name = "NEWS";
    c.subject_format = "[$N]$S";
    c.title_insert = 1;
    c.title_format = "$G($T)";
    c.now = {2024, 5, 6, 7, 8, 9, 1, 9 * 3600};
    return c;
}

ArticleRecord Record(const char* number, const char* parent = "") {
    ArticleRecord r;
    r.number = number;
    r.parent = parent;
    r.date = "2003/12/01";
    r.time = "10:30";
    return r;
}

// The header `name` in Shift_JIS, or "<none>".
std::string Header(const ComposedMail& mail, std::string_view name) {
    const std::string prefix = std::string(name) + ": ";
    for (const auto& line : mail.headers) {
        if (line.starts_with(prefix))
            return text::ConvertJapaneseCode(text::DecodeHeaderLine(line.substr(prefix.size())),
                                             text::JapaneseCode::kShiftJis);
    }
    return "<none>";
}

struct Case {
    const char* what;
    std::function<void(MailContext&, BoardValues&, ArticleRecord&)> set_up;
    const char* header;
    std::string expected;
};

TEST(ComposeMail, HeaderLinesFollowTheRecordAndTheSettings) {
    auto none = [](MailContext&, BoardValues&, ArticleRecord&) {};
    const Case cases[] = {
        {"Message-Id from the padded number", none, "Message-Id",
         "<Y21fdGVzdA==.GUID-1.0000000123>"},
        {"parent key", none, "In-Reply-To", "<Y21fdGVzdA==.GUID-1.0000000120>"},
        {"References repeat the parent", none, "References", "<Y21fdGVzdA==.GUID-1.0000000120>"},
        {"no parent: no thread headers", [](auto&, auto&, ArticleRecord& r) { r.parent = "*"; },
         "In-Reply-To", "<none>"},
        {"article number", none, "X-KVT7R-BBS-ARTICLE-NO", "123"},
        {"no number for *", [](auto&, auto&, ArticleRecord& r) { r.number = "*"; },
         "X-KVT7R-BBS-ARTICLE-NO", "<none>"},
        {"Date from the fields in the local zone", none, "Date", "Mon, 1 Dec 2003 10:30:00 +0900"},
        {"unreadable date: today, time kept",
         [](auto&, auto&, ArticleRecord& r) { r.date = "yesterday"; }, "Date",
         "Mon, 6 May 2024 10:30:00 +0900"},
        {"zone west of UTC",
         [](MailContext& c, auto&, auto&) { c.now.utc_offset_seconds = -(3 * 3600 + 1800); },
         "Date", "Mon, 1 Dec 2003 10:30:00 -0330"},
        {"name and e-mail",
         [](auto&, auto&, ArticleRecord& r) { r.name = "名無し", r.email = "a@b"; }, "From",
         "名無し <a@b>"},
        {"name without e-mail keeps the brackets",
         [](auto&, auto&, ArticleRecord& r) { r.name = "名無し"; }, "From", "名無し <>"},
        {"e-mail alone", [](auto&, auto&, ArticleRecord& r) { r.email = "a@b"; }, "From", "<a@b>"},
        {"neither: no From", none, "From", "<none>"},
        {"title alone without the number setting",
         [](auto&, auto&, ArticleRecord& r) { r.title = "題名"; }, "Subject", "題名"},
        {"subject format with *",
         [](MailContext& c, auto&, ArticleRecord& r) {
             c.subject_with_number = true;
             r.number = "*";
             r.title = "題名";
         },
         "Subject", "[]題名"},
        // One field gets two empty ones: method, URL and parameter template,
        // then the number answered.
        {"reply template LIB with number 15",
         [](auto&, BoardValues& b, ArticleRecord& r) {
             b.reply_template = "LIB";
             r.number = "15";
         },
         "Reply-To", std::string("\"LIB,,,15\" <") + kAddress + ">"},
        {"two fields get one",
         [](auto&, BoardValues& b, auto&) { b.reply_template = "GET,http://x/"; }, "Reply-To",
         std::string("\"GET,http://x/,,123\" <") + kAddress + ">"},
        {"$Sr with * becomes empty",
         [](auto&, BoardValues& b, ArticleRecord& r) {
             b.reply_template = "POST,http://x/,k=$Sr";
             r.number = "*";
         },
         "Reply-To", std::string("\"POST,http://x/,k=,\" <") + kAddress + ">"},
        {"a quote in the template is doubled",
         [](auto&, BoardValues& b, auto&) { b.reply_template = "POST,u,a=\"b\""; }, "Reply-To",
         std::string("\"POST,u,a=\"\"b\"\",123\" <") + kAddress + ">"},
        // Article F:, board #F:, article P:, board #P:, the first non-empty wins.
        {"article F: before board #F:",
         [](auto&, BoardValues& b, ArticleRecord& r) {
             b.reply_template = "GET,board";
             r.reply_template = "GET,article";
             r.post_template = "GET,post";
         },
         "Reply-To", std::string("\"GET,article,,123\" <") + kAddress + ">"},
        {"board #F: before article P:",
         [](auto&, BoardValues& b, ArticleRecord& r) {
             b.reply_template = "GET,board";
             r.post_template = "GET,post";
         },
         "Reply-To", std::string("\"GET,board,,123\" <") + kAddress + ">"},
        {"board #P: last", [](auto&, BoardValues& b, auto&) { b.post_template = "GET,boardpost"; },
         "Reply-To", std::string("\"GET,boardpost,,123\" <") + kAddress + ">"},
        {"no template: no Reply-To", none, "Reply-To", "<none>"},
        {"board title header, also when empty", none, "X-KVT7R-BBS-TITLE", "NEWS()"},
        {"board title in Japanese", [](auto&, BoardValues& b, auto&) { b.title = "掲示板"; },
         "X-KVT7R-BBS-TITLE", "NEWS(掲示板)"},
        {"TITLE_INSERT 0: nowhere", [](MailContext& c, auto&, auto&) { c.title_insert = 0; },
         "X-KVT7R-BBS-TITLE", "<none>"},
        {"TITLE_INSERT 2 with an empty format",
         [](MailContext& c, auto&, auto&) {
             c.title_insert = 2;
             c.title_format = "";
         },
         "Cc", std::string("<") + kAddress + ">"},
        {"TITLE_INSERT 2 with a title",
         [](MailContext& c, BoardValues& b, auto&) {
             c.title_insert = 2;
             b.title = "板";
         },
         "Cc", std::string("\"NEWS(板)\" <") + kAddress + ">"},
        {"TITLE_INSERT 3 without URL or UPURL: the fallback host",
         [](MailContext& c, auto&, auto&) {
             c.title_insert = 3;
             c.title_format = "";
         },
         "List-Id", std::string("<Y21fdGVzdA==.GUID-1.") + kFallbackListHost + ">"},
        {"TITLE_INSERT 3 takes the host of URL",
         [](MailContext& c, auto&, auto&) {
             c.title_insert = 3;
             c.url = "http://bbs.example.jp:8080/news/";
             c.upload_url = "http://up.example.jp/";
         },
         "List-Id", "\"NEWS()\" <Y21fdGVzdA==.GUID-1.bbs.example.jp>"},
        {"TITLE_INSERT 3 falls back to UPURL",
         [](MailContext& c, auto&, auto&) {
             c.title_insert = 7;
             c.upload_url = "http://up.example.jp/cgi";
         },
         "List-Id", "\"NEWS()\" <Y21fdGVzdA==.GUID-1.up.example.jp>"},
        {"board URL", [](MailContext& c, auto&, auto&) { c.url = "http://b.example.jp/"; },
         "X-KVT7R-BBS-URL", "http://b.example.jp/"},
        // The whole line, prefix included, is the value.
        {"plugin header", [](auto&, auto&, ArticleRecord& r) { r.plugin_lines = {"C:分類"}; },
         "X-PLUGIN-HEADER-C", "C:分類"},
    };
    for (const auto& c : cases) {
        MailContext context = Context();
        BoardValues board;
        ArticleRecord record = Record("123", "120");
        c.set_up(context, board, record);
        EXPECT_EQ(Header(ComposeMail(context, board, record, nullptr), c.header), c.expected)
            << c.what;
    }
}

// A post's Date carries the offset of its own day: in a zone with summer
// time, a July post read in January is an hour east of January's offset.
TEST(ComposeMail, ADateKeepsTheSummerTimeOfItsDay) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows takes the zone from its settings, which a test cannot set";
#else
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    ::setenv("TZ", "EST5EDT,M3.2.0,M11.1.0", 1);
    ::tzset();
    struct Restore {
        bool had;
        std::string value;
        ~Restore() {
            had ? ::setenv("TZ", value.c_str(), 1) : ::unsetenv("TZ");
            ::tzset();
        }
    } restore{old != nullptr, saved};
    MailContext context = Context();
    context.now = {2024, 1, 15, 10, 0, 0, 1, -5 * 3600};
    for (const auto& [date, expected] :
         {std::pair{"2023/07/01", "Sat, 1 Jul 2023 10:30:00 -0400"},
          std::pair{"2023/12/01", "Fri, 1 Dec 2023 10:30:00 -0500"}}) {
        ArticleRecord record = Record("1");
        record.date = date;
        EXPECT_EQ(Header(ComposeMail(context, BoardValues{}, record, nullptr), "Date"), expected);
    }
#endif
}

TEST(ComposeMail, FixedOrderAndNothingElse) {
    MailContext context = Context();
    context.url = "http://b.example.jp/";
    BoardValues board;
    board.reply_template = "LIB";
    ArticleRecord record = Record("5", "4");
    record.name = "n";
    record.plugin_lines = {"H:h", "I:i"};
    std::vector<std::string> names;
    for (const auto& line : ComposeMail(context, board, record, nullptr).headers)
        names.push_back(line.substr(0, line.find(':')));
    const std::vector<std::string> expected = {"Date",
                                               "From",
                                               "Content-Type",
                                               "Subject",
                                               "Message-Id",
                                               "In-Reply-To",
                                               "References",
                                               "Reply-To",
                                               "X-KVT7R-BBS-TITLE",
                                               "X-KVT7R-BBS-URL",
                                               "X-KVT7R-BBS-ARTICLE-NO",
                                               "X-PLUGIN-HEADER-H",
                                               "X-PLUGIN-HEADER-I"};
    EXPECT_EQ(names, expected);
}

TEST(ComposeMail, NumberListMarksDuplicatesWithoutRegardToCase) {
    NumberList numbers;
    numbers.Add("abc");
    const MailContext context = Context();
    const BoardValues board;
    EXPECT_TRUE(ComposeMail(context, board, Record("ABC"), &numbers).duplicate);
    EXPECT_FALSE(ComposeMail(context, board, Record("abd"), &numbers).duplicate);
    // An article without a number is never a duplicate.
    numbers.Add("*");
    EXPECT_FALSE(ComposeMail(context, board, Record("*"), &numbers).duplicate);
}

}  // namespace
}  // namespace drwa::convert
