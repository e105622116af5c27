// The reader on the fixture files of data/convert: what each record hands on,
// the body lines, whether the record ended, and the header block kept for the
// board file.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "account_fixture.h"
#include "convert/article_reader.h"
#include "platform/system.h"
#include "support/temp_folder.h"
#include "text/code_conversions.h"

namespace drwa::convert {
namespace {

// One record as the sink saw it; body lines back in Shift_JIS.
// Every member has its own initializer, so table rows name only what matters.
struct Seen {
    std::string number{}, parent{}, date{}, time{};
    bool force = false;
    std::string title{}, name{}, email{}, reply{}, post{};
    std::vector<std::string> plugin_lines{};
    std::string board_title{}, board_reply{}, board_post{};
    std::vector<std::string> body{};
    bool ended = true;
    bool operator==(const Seen&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Seen& s) {
    out << "{" << s.number << "|" << s.parent << "|" << s.date << "|" << s.time << "|"
        << (s.force ? "O" : "") << "|" << s.title << "|" << s.name << "|" << s.email << "|"
        << s.reply << "|" << s.post << "|board " << s.board_title << "," << s.board_reply << ","
        << s.board_post << "|";
    for (const auto& l : s.plugin_lines) out << l << ";";
    out << "|";
    for (const auto& l : s.body) out << l << "/";
    return out << (s.ended ? "|ended}" : "|open}");
}

class RecordingSink : public ArticleSink {
  public:
    std::vector<Seen> seen;

    void BeginRecord(const BoardValues& b, const ArticleRecord& r) override {
        seen.push_back({r.number,
                        r.parent,
                        r.date,
                        r.time,
                        r.force_delivery,
                        r.title,
                        r.name,
                        r.email,
                        r.reply_template,
                        r.post_template,
                        r.plugin_lines,
                        b.title,
                        b.reply_template,
                        b.post_template,
                        {},
                        false});
    }
    void BodyLine(std::string_view line) override {
        seen.back().body.push_back(text::Iso2022JpToShiftJis(line));
    }
    void EndRecord() override { seen.back().ended = true; }
};

struct Read {
    std::vector<Seen> records;
    std::vector<std::string> header;
};

Read ReadFixtureFile(std::string_view name) {
    RecordingSink sink;
    Read r;
    r.header = ReadArticleText(PrepareArticleText(testing::ReadFixture(name)), sink);
    r.records = sink.seen;
    return r;
}

struct Case {
    const char* fixture;
    std::vector<Seen> records;
    std::vector<std::string> header;
};

TEST(ReadArticleText, FixtureFiles) {
    const Case cases[] = {
        // "#T:" with nothing after it leaves the earlier title.
        {"board_title_key_alone.cm$",
         {{.number = "41",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "題は残る",
           .name = "甲",
           .board_title = "最初の題",
           .body = {"本文"}}},
         {"#T:最初の題", "#T:"}},
        // "T:" alone empties the title given before it.
        {"title_key_alone.cm$",
         {{.number = "42",
           .date = "2003/12/01",
           .time = "10:00",
           .name = "甲",
           .board_title = "板",
           .body = {"題が空になる"}}},
         {"#T:板"}},
        // "F:", "P:" and "C:" alone neither set a template nor make a header.
        {"reply_key_alone.cm$",
         {{.number = "43",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "返信先",
           .name = "甲",
           .board_reply = "LIB",
           .body = {"本文"}}},
         {"#F:LIB"}},
        // The second record has no status line: number and parent carry over,
        // date and time do not.
        {"record_without_status.cm$",
         {{.number = "*",
           .parent = "50",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "一つ目",
           .name = "甲",
           .board_title = "番号の引き継ぎ",
           .body = {"本文一"}},
          {.number = "*",
           .parent = "50",
           .title = "二つ目",
           .name = "乙",
           .board_title = "番号の引き継ぎ",
           .body = {"本文二"}}},
         {"#T:番号の引き継ぎ"}},
        // Inside a body "#P:", "#T:" and "S:" are text; the board keeps its
        // values and the header block its two lines.
        {"body_board_key.cm$",
         {{.number = "61",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "一つ目",
           .name = "甲",
           .board_title = "本文中の鍵",
           .board_post = "POST,http://bbs.example.jp/post.cgi,text=$M",
           .body = {"次の行は本文", "#P:x", "#T:偽の題", "S:99"}},
          {.number = "62",
           .date = "2003/12/01",
           .time = "10:05",
           .title = "二つ目",
           .name = "乙",
           .board_title = "本文中の鍵",
           .board_post = "POST,http://bbs.example.jp/post.cgi,text=$M",
           .body = {"本文"}}},
         {"#P:POST,http://bbs.example.jp/post.cgi,text=$M", "#T:本文中の鍵"}},
        // A quoted first field holds its comma.
        {"quoted_number.cm$",
         {{.number = "1,2",
           .parent = "3",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "引用符の番号",
           .name = "甲",
           .board_title = "引用符",
           .body = {"本文"}}},
         {"#T:引用符"}},
        // The last record runs into the end of the file: it never ends.
        {"cut_off_record.cm$",
         {{.number = "21",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "完全な記事",
           .name = "甲",
           .board_title = "途切れ",
           .body = {"最後まである"}},
          {.number = "22",
           .parent = "21",
           .date = "2003/12/01",
           .time = "10:05",
           .title = "途切れた記事",
           .name = "乙",
           .board_title = "途切れ",
           .body = {"ここで切れ"},
           .ended = false}},
         {"#T:途切れ"}},
        // Only "#" lines: no record and no header block to write back.
        {"header_only.cm$", {}, {}},
        // A blank first line: the header block is empty, yet the "#T:" after it
        // is a board value for the records.
        {"leading_blank_line.cm$",
         {{.number = "31",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "空行で始まる",
           .name = "甲",
           .board_title = "空行の後の題",
           .body = {"本文"}}},
         {}},
        // NUL is a blank, not the end of the line or of the file.
        {"nul_in_body.cm$",
         {{.number = "1",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "ヌル",
           .name = "甲",
           .board_title = "NUL試験",
           .body = {"前半 後半"}},
          {.number = "2",
           .date = "2003/12/01",
           .time = "10:01",
           .title = "後の記事",
           .name = "乙",
           .board_title = "NUL試験",
           .body = {"続き"}}},
         {"#T:NUL試験"}},
        // A trailing comma adds no field; a blank separates like a comma;
        // "S:abc" leaves the other fields empty.
        {"status_fields.cm$",
         {{.number = "123",
           .parent = "120",
           .date = "03/12/01",
           .time = "10:30",
           .title = "番号と親",
           .name = "甲",
           .board_title = "状態行",
           .body = {"本文"}},
          {.number = "abc",
           .title = "文字の番号",
           .name = "乙",
           .board_title = "状態行",
           .body = {"本文"}},
          {.number = "007",
           .parent = "*",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "先頭の零",
           .email = "zero@example.jp",
           .board_title = "状態行",
           .body = {"本文"}}},
         {"#T:状態行"}},
        // The line of half-width katakana alone comes out full-width, as the
        // one that mixes them with kanji.
        {"halfwidth_kana_body.cm$",
         {{.number = "80",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "ｶﾀｶﾅ",
           .name = "ﾅﾅｼ",
           .board_title = "半角",
           .body = {"ガギパ", "全角とハンカク"}}},
         {"#T:半角"}},
        // A "#T:" between records is a board value for the records after it,
        // but not part of the header block; "#P:" alone and lines of no kind
        // change nothing.
        {"board_key_between_records.cm$",
         {{.number = "91",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "前",
           .name = "甲",
           .board_title = "最初の板名",
           .body = {"本文"}},
          {.number = "92",
           .parent = "91",
           .date = "2003/12/01",
           .time = "10:05",
           .title = "後",
           .name = "乙",
           .board_title = "次の板名",
           .body = {"本文"}}},
         {"#T:最初の板名"}},
        // EUC-JP half-width katakana become Shift_JIS single bytes, then
        // full-width in the body.
        {"euc_halfwidth_kana.cm$",
         {{.number = "95",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "ｶﾀｶﾅ題",
           .name = "ﾅﾅｼさん",
           .board_title = "半角かなの板ん",
           .body = {"ガギパ", "全角とハンカク"}}},
         {"#T:半角かなの板ん"}},
        // A stray 8-bit pair in ISO-2022-JP harms the rest of its own line (one
        // byte of the pair is left), never the records after it.
        {"jis_stray_byte.cm$",
         {{.number = "1",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "一",
           .name = "甲",
           .board_title = "板",
           .body = {"\x81"}},
          {.number = "2",
           .parent = "1",
           .date = "2003/12/01",
           .time = "10:05",
           .title = "二",
           .name = "乙",
           .board_title = "板",
           .body = {"本文"}}},
         {"#T:板"}},
        // Lines that end in double-byte mode still end there.
        {"jis_line_left_in_double_byte.cm$",
         {{.number = "1",
           .date = "2003/12/01",
           .time = "10:00",
           .title = "一",
           .name = "甲",
           .board_title = "板",
           .body = {"本文"}}},
         {"#T:板"}},
    };
    for (const auto& c : cases) {
        const Read r = ReadFixtureFile(c.fixture);
        EXPECT_EQ(r.records, c.records) << c.fixture;
        EXPECT_EQ(r.header, c.header) << c.fixture;
    }
}

TEST(ReadArticleText, SameBoardInThreeCodesReadsTheSame) {
    const Read sjis = ReadFixtureFile("sjis_board.cm$");
    ASSERT_EQ(sjis.records.size(), 3u);
    EXPECT_EQ(sjis.records[1].body,
              (std::vector<std::string>{">>1 どうも。", "表示のテスト（ソ・表・能）"}));
    EXPECT_EQ(sjis.records[0].plugin_lines, std::vector<std::string>{"C:カテゴリ=雑談"});
    EXPECT_TRUE(sjis.records[2].force);
    EXPECT_EQ(sjis.header.size(), 4u);
    for (const char* other : {"euc_board.cm$", "jis_board.cm$"}) {
        const Read r = ReadFixtureFile(other);
        EXPECT_EQ(r.records, sjis.records) << other;
        EXPECT_EQ(r.header, sjis.header) << other;
    }
}

TEST(ReadArticleText, LineEndsOfEveryKind) {
    struct LineCase {
        const char* what;
        std::string text;
        std::vector<std::string> body;
    };
    const LineCase cases[] = {
        {"CR LF", "S:1\r\nM:a\r\nb\r\n.\r\n", {"a", "b"}},
        {"LF", "S:1\nM:a\nb\n.\n", {"a", "b"}},
        {"CR", "S:1\rM:a\rb\r.\r", {"a", "b"}},
        // LF then CR is two line ends: an empty body line between.
        {"LF CR", "S:1\nM:a\n\rb\n.", {"a", "", "b"}},
        // "." needs no line end after it, ". " is text.
        {"last line without end", "S:1\nM:. \n.", {". "}},
    };
    for (const auto& c : cases) {
        RecordingSink sink;
        ReadArticleText(PrepareArticleText(c.text), sink);
        ASSERT_EQ(sink.seen.size(), 1u) << c.what;
        EXPECT_EQ(sink.seen[0].body, c.body) << c.what;
        EXPECT_TRUE(sink.seen[0].ended) << c.what;
    }
}

// A plugin may still hold the file when the conversion starts.
TEST(LoadArticleFile, WaitsForAFileThatIsNotThereYet) {
    testing::TempFolder folder;
    std::thread late_writer([&] {
        platform::SleepMs(700);
        folder.Write("late.cm$", "S:1\nM:x\n.\n");
    });
    const std::string bytes = LoadArticleFile(folder / "late.cm$");
    late_writer.join();
    EXPECT_EQ(bytes, "S:1\nM:x\n.\n");
}

}  // namespace
}  // namespace drwa::convert
