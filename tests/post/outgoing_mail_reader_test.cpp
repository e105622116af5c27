#include "post/outgoing_mail_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "common/error.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "text/filename_base64.h"
#include "text/header_words.h"

namespace drwa::post {
namespace {

using drwa::testing::ProgressRecorder;
using drwa::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

const std::string kGuid = "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9";
const std::string kOther = "11111111-2222-3333-4444-555555555555";
constexpr const char* kDomain = "@bbs.invalid";

// "source.GUID@bbs.invalid" for the board file `base`.cmt.
std::string Address(std::string_view base, const std::string& guid = kGuid,
                    std::string_view domain = kDomain) {
    return text::EncodeFileNameBase64(base) + "." + guid + std::string(domain);
}

std::string Mail(const std::string& to_line,
                 const std::string& rest = "Subject: s\r\n\r\nbody\r\n") {
    return to_line + "\r\n" + rest;
}

class Reader : public ::testing::Test {
  protected:
    TempFolder dir;
    GroupTable groups;

    void SetUp() override {
        // The addressed group is the second entry: its index is 1.
        groups = {{kOther, dir / "H"}, {kGuid, dir / "G"}};
        dir.Write("G/board.cmt", "#T:title\n#P:POST,http://b/$C,msg=$M$,x,7\n");
        dir.Write("G/abｿ.cmt", "#P:GET,http://q/,q=1,\n");
        dir.Write("G/bad.cmt", "#P:PUT,http://b/,p\n");
        dir.Write("secret.cmt", "#P:GET,http://evil/,x,\n");  // outside every group
    }

    TPostEml Read(const std::string& text) {
        dir.Write("out/vxq1.tmp", text);
        TPostEml mail;
        mail.DummyDomain = kDomain;
        mail.Groups = &groups;
        ReadOutgoingMail(mail, dir / "out/vxq1.tmp");
        return mail;
    }
};

TEST_F(Reader, ResolvesGroupAndPostCommandFromTheAddress) {
    struct Case {
        const char* why;
        std::string to;
        std::string key;  // GroupKey, or the start of the error
        bool bad;
        std::string fields;  // command|URL|parameters|parent; empty: not checked
        std::string board;
    } cases[] = {
        {"all four fields in the display name",
         "To: \"GET,http://x/,a=b,5\" <" + Address("board") + ">", kGuid, false,
         "GET|http://x/|a=b|5", "board.cmt"},
        {"no display name: all four from the board's #P:", "To: <" + Address("board") + ">", kGuid,
         false, "POST|http://b/$C|msg=$M$,x|7", "board.cmt"},
        {"LIB alone: the rest from #P:", "To: LIB <" + Address("board") + ">", kGuid, false,
         "LIB|http://b/$C|msg=$M$,x|7", "board.cmt"},
        {"a first field that is no command voids all four",
         "To: \"post,u,p,9\" <" + Address("board") + ">", kGuid, false,
         "POST|http://b/$C|msg=$M$,x|7", "board.cmt"},
        {"$, does not split and stays",
         "To: \"POST,http://x/,a=1$,b=2,3\" <" + Address("board") + ">", kGuid, false,
         "POST|http://x/|a=1$,b=2|3", "board.cmt"},
        {"domain in capitals", "To: <" + Address("board", kGuid, "@BBS.Invalid") + ">", kGuid,
         false, "POST|http://b/$C|msg=$M$,x|7", "board.cmt"},
        {"host's \\\" quoting", "To: \\\"GET,u,p,1\\\" <" + Address("board") + ">", kGuid, false,
         "GET|u|p|1", "board.cmt"},
        // 表 and ソ end in 0x5C, which would escape the closing quote.
        {"quoted name with 0x5C trail bytes, raw",
         "To: \"POST,http://b/表,ソ=1,2\" <" + Address("board") + ">", kGuid, false,
         "POST|http://b/表|ソ=1|2", "board.cmt"},
        {"quoted name with 0x5C trail bytes, encoded",
         text::EncodeHeaderLine("To: \"POST,http://b/表,ソ=1,2\" <" + Address("board") + ">"),
         kGuid, false, "POST|http://b/表|ソ=1|2", "board.cmt"},
        // "abｿ" (ｿ is 0xBF) is "YWK@" in the file-name Base64: an "@" in the
        // local part, from a name every file system takes.
        {"source name with @ in its Base64", "To: <" + Address("abｿ") + ">", kGuid, false,
         "GET|http://q/|q=1|", "abｿ.cmt"},
        {"To without a blank is no To", "To:<" + Address("board") + ">", "エラー:宛先がありません",
         true, "", ""},
        {"two recipients", "To: <" + Address("board") + ">, <" + Address("x") + ">",
         "エラー:宛先が複数設定されています", true, "", ""},
        {"GUID no group has",
         "To: <" + Address("board", "FFFFFFFF-0000-0000-0000-000000000000") + ">",
         "エラー:FFFFFFFF-0000-0000-0000-000000000000:のデータフォルダが設定されていません", true,
         "", "board.cmt"},
        {"no valid command anywhere", "To: <" + Address("bad") + ">",
         "エラー:" + kGuid + ":のPostCommandが設定されていません", true, "", "bad.cmt"},
        {"no source name and no URL: no board file to read, kept for next time",
         "To: POST <" + kGuid + kDomain + ">", "エラー:", false, "POST|||", ""},
        {"board file missing: kept for next time", "To: <" + Address("none") + ">",
         "エラー:", false, "", "none.cmt"},
        // Anybody can write the address: no name may lead out of the folder.
        {"traversal in the source name", "To: <" + Address("../secret") + ">",
         "エラー:" + Address("../secret") + ":の板の名前はファイル名に使えません", true, "", ""},
        {"separator in the source name", "To: <" + Address("sub/x") + ">", "エラー:", true, "", ""},
        {"backslash in the source name", "To: <" + Address("..\\secret") + ">", "エラー:", true, "",
         ""},
    };
    for (const Case& c : cases) {
        const TPostEml mail = Read(Mail(c.to));
        EXPECT_THAT(mail.GroupKey, StartsWith(c.key)) << c.why;
        EXPECT_EQ(mail.BadMail, c.bad) << c.why;
        EXPECT_EQ(mail.BoardFile, c.board) << c.why;
        if (!c.fields.empty()) {
            EXPECT_EQ(mail.PostCommand + "|" + mail.PostUrl + "|" + mail.PostParams + "|" +
                          mail.ParentNumber,
                      c.fields)
                << c.why;
        }
        if (!mail.Failed()) {
            EXPECT_EQ(mail.GroupFolder, dir / "G") << c.why;
            EXPECT_EQ(mail.GroupIndex, 1) << c.why;
        }
    }
}

TEST_F(Reader, HeadersAndBodyAsTheyStood) {
    const TPostEml mail = Read(
        "Date: Tue, 9 Dec 2003 13:05:07 +0000\r\n"
        "Subject: first\r\n"
        "  second\r\n"
        "\tthird\r\n"
        "To: <" +
        Address("board") +
        ">\r\n"
        "\r\n"
        "line\r\n"
        ".\r\n"
        "..\r\n"
        "\r\n"
        "last");
    EXPECT_EQ(mail.Subject, "firstsecondthird");
    EXPECT_THAT(mail.Message.body_lines, ElementsAre("line", ".", "..", "", "last"));
    // The Date header's moment, in local time.
    const platform::LocalTime now = platform::LocalNow();
    const long minutes = 13 * 60 + 5 + now.utc_offset_seconds / 60;
    EXPECT_EQ(mail.PostDate.hour * 60 + mail.PostDate.minute, (minutes + 24 * 60) % (24 * 60));
    EXPECT_EQ(mail.PostDate.second, 7);
}

TEST_F(Reader, HeaderReaderRules) {
    const std::vector<std::string> headers = {
        "X-Other: To: no",                               // only a line's start counts
        "subject:  =?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?=",  // name case ignored
        " more",                                         // continuation, leading blanks removed
        "Subject: second",                               // only the first one is used
        "To: \\\"a\\\" <x@y>",
    };
    EXPECT_EQ(ReadHeader("Subject", headers, false), "テストmore");
    EXPECT_EQ(ReadHeader("To", headers, true), "\"a\" <x@y>");
    EXPECT_EQ(ReadHeader("To", headers, false), "\\\"a\\\" <x@y>");
    EXPECT_EQ(ReadHeader("Cc", headers, false), "");
}

TEST_F(Reader, ReadsTheOutboxSortedAndStopsWhenAsked) {
    dir.Write("out/vxq3.tmp", Mail("To: <" + Address("board") + ">"));
    dir.Write("out/VXQ2.TMP", Mail("To: \"GET,u,p,\" <" + Address("board", kOther) + ">"));
    dir.Write("out/vxq1.tmp", Mail("To: nobody"));
    dir.Write("out/.vxq4.tmp", Mail("To: <" + Address("board") + ">"));  // hidden
    dir.Write("out/vxq5.tmp/inner", "");                                 // a folder
    dir.Write("out/other.tmp", Mail("To: <" + Address("board") + ">"));
    {
        ProgressRecorder host;
        SendList list;
        EXPECT_FALSE(
            ReadOutgoingMails(dir / "out", kDomain, groups, ProgressRecorder::callback(), list));
        EXPECT_THAT(host.texts(), ElementsAre("送信予定ファイル読込 1:" + dir / "out/VXQ2.TMP",
                                              "送信予定ファイル読込 2:" + dir / "out/vxq1.tmp",
                                              "送信予定ファイル読込 3:" + dir / "out/vxq3.tmp"));
        ASSERT_EQ(list.size(), 3u);
        // By key: the GUIDs, and the failure among them by its text.
        EXPECT_EQ(list[0].GroupKey, kGuid);
        EXPECT_EQ(list[1].GroupKey, kOther);
        EXPECT_THAT(list[2].GroupKey, StartsWith("エラー:"));
    }
    ProgressRecorder host;
    host.AbortWhen(
        [](const std::string& text) { return text.starts_with("送信予定ファイル読込 1:"); });
    SendList list;
    EXPECT_TRUE(
        ReadOutgoingMails(dir / "out", kDomain, groups, ProgressRecorder::callback(), list));
    EXPECT_EQ(list.size(), 1u);
}

TEST_F(Reader, EmptyOutboxAndUnreadableMail) {
    ProgressRecorder host;
    SendList list;
    EXPECT_FALSE(
        ReadOutgoingMails(dir / "nothing", kDomain, groups, ProgressRecorder::callback(), list));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(host.texts().empty());

    TPostEml mail;
    mail.Groups = &groups;
    EXPECT_THROW(ReadOutgoingMail(mail, dir / "out/none.tmp"), Error);
}

}  // namespace
}  // namespace drwa::post
