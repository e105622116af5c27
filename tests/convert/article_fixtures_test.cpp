// Header lines of the mails made from the fixture files, and mail file names
// when the spool path leaves little room for them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "account_fixture.h"
#include "convert/article_converter.h"
#include "convert/mail_formats.h"
#include "text/code_conversions.h"
#include "text/filename_base64.h"
#include "text/header_words.h"

namespace drwa::testing {
namespace {

// A header of a mail file, decoded to Shift_JIS; "<none>" when missing. The
// zone of a date is the machine's, so it is left out.
std::string Decoded(const std::string& mail, std::string_view name) {
    const std::string value = HeaderValue(mail, name);
    if (value == "<none>") return value;
    if (name == "Date") return value.substr(0, value.rfind(' '));
    return text::Iso2022JpToShiftJis(text::DecodeHeaderLine(value));
}

std::string Id(std::string_view stem, std::string_view key) {
    return "<" + text::EncodeFileNameBase64(stem) + "." + std::string(kGroupGuid) + "." +
           std::string(key) + ">";
}

struct HeaderCase {
    const char* fixture;
    std::string key;  // of the mail looked at
    const char* header;
    std::string expected;
};

TEST(FixtureMails, HeaderLines) {
    const std::string abc = convert::HashKey("abc");
    const std::string quoted = convert::HashKey("1,2");
    // "S:*": name, title, date and time make the key.
    const std::string first_star = convert::HashKey("甲一つ目2003/12/0110:00");
    const std::string second_star = convert::HashKey("乙二つ目");
    const HeaderCase cases[] = {
        {"status_fields.cm$", "0000000123", "Message-Id", Id("status_fields", "0000000123")},
        {"status_fields.cm$", "0000000123", "In-Reply-To", Id("status_fields", "0000000120")},
        {"status_fields.cm$", "0000000123", "References", Id("status_fields", "0000000120")},
        {"status_fields.cm$", "0000000123", "X-KVT7R-BBS-ARTICLE-NO", "123"},
        // A two-digit year lies in this century.
        {"status_fields.cm$", "0000000123", "Date", "Mon, 1 Dec 2003 10:30:00"},
        {"status_fields.cm$", abc, "Message-Id", Id("status_fields", abc)},
        {"status_fields.cm$", abc, "X-KVT7R-BBS-ARTICLE-NO", "abc"},
        {"status_fields.cm$", abc, "In-Reply-To", "<none>"},
        // "007" is the integer 7; parent "*" is none.
        {"status_fields.cm$", "0000000007", "X-KVT7R-BBS-ARTICLE-NO", "7"},
        {"status_fields.cm$", "0000000007", "In-Reply-To", "<none>"},
        {"status_fields.cm$", "0000000007", "From", "<zero@example.jp>"},
        // Date and time separated by a blank instead of a comma.
        {"status_fields.cm$", "0000000007", "Date", "Mon, 1 Dec 2003 10:00:00"},
        {"quoted_number.cm$", quoted, "X-KVT7R-BBS-ARTICLE-NO", "1,2"},
        {"quoted_number.cm$", quoted, "In-Reply-To", Id("quoted_number", "0000000003")},
        // The second record has no status line: parent 50 and "no number"
        // carry over, its date does not.
        {"record_without_status.cm$", first_star, "In-Reply-To",
         Id("record_without_status", "0000000050")},
        {"record_without_status.cm$", second_star, "In-Reply-To",
         Id("record_without_status", "0000000050")},
        {"record_without_status.cm$", second_star, "Subject", "二つ目"},
        {"title_key_alone.cm$", "0000000042", "Subject", ""},
        {"board_title_key_alone.cm$", "0000000041", "X-KVT7R-BBS-TITLE", "NEWS(最初の題)"},
        {"leading_blank_line.cm$", "0000000031", "X-KVT7R-BBS-TITLE", "NEWS(空行の後の題)"},
        // "F:", "P:" and "C:" alone: the board's "#F:" answers, no plugin header.
        {"reply_key_alone.cm$", "0000000043", "Reply-To",
         "\"LIB,,,43\" <" + text::EncodeFileNameBase64("reply_key_alone") + "." +
             std::string(kGroupGuid) + "@drwa-plugin.invalid>"},
        {"reply_key_alone.cm$", "0000000043", "X-PLUGIN-HEADER-F", "<none>"},
        {"reply_key_alone.cm$", "0000000043", "X-PLUGIN-HEADER-C", "<none>"},
        // "#P:x" in a body changed nothing for the record after it.
        {"body_board_key.cm$", "0000000062", "Reply-To",
         "\"POST,http://bbs.example.jp/post.cgi,text=$M,62\" <" +
             text::EncodeFileNameBase64("body_board_key") + "." + std::string(kGroupGuid) +
             "@drwa-plugin.invalid>"},
        {"body_board_key.cm$", "0000000062", "X-KVT7R-BBS-TITLE", "NEWS(本文中の鍵)"},
        // The board title changes between the two records of one file.
        {"board_key_between_records.cm$", "0000000091", "X-KVT7R-BBS-TITLE", "NEWS(最初の板名)"},
        {"board_key_between_records.cm$", "0000000092", "X-KVT7R-BBS-TITLE", "NEWS(次の板名)"},
        {"board_key_between_records.cm$", "0000000092", "X-KVT7R-BBS-URL",
         "http://bbs.example.jp/news/"},
        {"halfwidth_kana_body.cm$", "0000000080", "Subject", "カタカナ"},
        {"sjis_board.cm$", "0000000002", "From", "山田 太郎 <taro@example.jp>"},
        {"sjis_board.cm$", "0000000001", "X-PLUGIN-HEADER-C", "C:カテゴリ=雑談"},
    };
    for (const auto& c : cases) {
        AccountFixture account;
        account.Convert(account.AddArticleFile(c.fixture));
        const std::string stem =
            std::string(c.fixture).substr(0, std::string(c.fixture).size() - 4);
        const std::string name = MailName(text::EncodeFileNameBase64(stem), c.key);
        ASSERT_TRUE(account.folder().Exists("spool/" + name)) << c.fixture << " " << c.key;
        EXPECT_EQ(Decoded(account.Mail(name), c.header), c.expected)
            << c.fixture << " " << c.key << " " << c.header;
    }
}

struct LongPathCase {
    const char* what;
    const char* fixture;
    std::size_t spool_length;  // bytes, trailing delimiter included
    std::string as_name;       // the article file's name, when not the fixture's
    std::size_t mails;
    bool cut;  // every path then is exactly 260 characters
};

// The Windows build cannot open paths past 260 characters, and this platform
// takes no name past 255 bytes: the id is shortened, and every article still
// gets a file of its own.
TEST(MailFileNames, LongSpoolPathsAndLongSourceNames) {
    // status_fields gives keys 0000000123, 0000000007 and a 32-digit hash.
    const LongPathCase cases[] = {
        {"room for the whole name", "status_fields.cm$", 120, "", 3, false},
        {"the key's last digit cut", "status_fields.cm$", 260 - 4 - 67, "", 3, true},
        // Cut from the end alone, 123 and 7 would both be "...00".
        {"most of the key cut", "status_fields.cm$", 260 - 4 - 60, "", 3, true},
        {"nothing but the name's start left", "status_fields.cm$", 252, "", 3, true},
        // The GUID and the extension stay whole.
        {"a forced copy beside its first", "duplicate_numbers.cm$", 200, "", 2, true},
        {"a source name longer than the room left", "status_fields.cm$", 60,
         std::string(200, 'a') + ".cm$", 3, true},
    };
    for (const auto& c : cases) {
        AccountFixture account;
        // Pad the spool path to the length wanted with a folder of "d"s.
        const std::string base = account.folder() / "";
        ASSERT_LT(base.size() + 7, c.spool_length);
        const std::string spool =
            base + std::string(c.spool_length - base.size() - 7, 'd') + "/spool/";
        ASSERT_EQ(spool.size(), c.spool_length);
        const std::string article =
            account.AddArticleFile(c.fixture, c.as_name.empty() ? c.fixture : c.as_name);
        convert::ConvertArticleFile(article, spool, account.account(), account.group(), true);

        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(account.folder().native() /
                                                                 spool.substr(base.size()))) {
            const std::string name = e.path().filename().string();
            names.insert(name);
            EXPECT_TRUE(name.ends_with(".eml")) << c.what << ": " << name;
            EXPECT_LE(name.size(), 255u) << c.what;
            if (c.cut)
                EXPECT_EQ(spool.size() + name.size(), 260u) << c.what << ": " << name;
            else
                EXPECT_LT(spool.size() + name.size(), 260u) << c.what;
        }
        EXPECT_EQ(names.size(), c.mails) << c.what;
        const bool forced = std::string(c.fixture) == "duplicate_numbers.cm$";
        EXPECT_EQ(std::count_if(names.begin(), names.end(), EndsWithGuid), forced ? 1 : 0)
            << c.what;
        EXPECT_FALSE(account.folder().Exists("BBS/NEWS/" + std::string(c.fixture))) << c.what;

        // Converting the same file again finds every mail waiting: same names.
        const std::string again =
            account.AddArticleFile(c.fixture, c.as_name.empty() ? c.fixture : c.as_name);
        convert::ConvertArticleFile(again, spool, account.account(), account.group(), true);
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(
                 account.folder().native() / spool.substr(base.size())))
            ++count;
        // Only the forced article comes once more.
        EXPECT_EQ(count, c.mails + (forced ? 1 : 0)) << c.what;
    }
}

// When the path fits, nothing is cut: the name is id + ".eml" exactly.
TEST(MailFileNames, PathOfExactly260IsKept) {
    AccountFixture account;
    const std::string name = MailName(text::EncodeFileNameBase64("status_fields"), "0000000123");
    const std::string base = account.folder() / "";
    const std::size_t spool_length = 260 - name.size();
    const std::string spool = base + std::string(spool_length - base.size() - 7, 'd') + "/spool/";
    convert::ConvertArticleFile(account.AddArticleFile("status_fields.cm$"), spool,
                                account.account(), account.group(), true);
    EXPECT_TRUE(
        std::filesystem::exists(account.folder().native() / spool.substr(base.size()) / name));
}

}  // namespace
}  // namespace drwa::testing
