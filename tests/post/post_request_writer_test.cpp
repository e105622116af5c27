#include "post/post_request_writer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "config/text_helpers.h"
#include "receive/post_request_pruner.h"
#include "support/progress_recorder.h"
#include "support/temp_folder.h"
#include "text/japanese_code.h"

namespace drwa::post {
namespace {

using drwa::testing::ProgressRecorder;
using drwa::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

const std::vector<std::string> kFreshHeader = {"#T:", "#N:0", "#U:1", "#B:0", "#R:0", "#F:", "#P:"};

TPostEml Request(const TempFolder& dir, int hour, int minute, std::string parent = "") {
    TPostEml mail;
    mail.GroupFolder = dir / "G";
    mail.GroupIndex = 2;
    mail.BoardFile = "board.cmt";
    mail.PostCommand = "LIB";
    mail.PostUrl = "$C/post";
    mail.PostParams = "msg=$M$,x";
    mail.Subject = "件名";
    mail.ParentNumber = std::move(parent);
    mail.PostDate = {2003, 12, 9, hour, minute, 30, 2, 32400};
    mail.Message.body_lines = {"one"};
    return mail;
}

std::vector<std::string> Lines(const TempFolder& dir, const char* name) {
    return config::SplitLines(dir.Read(name));
}

TEST(PostRequestRecord, StatusTitleTemplateAndBody) {
    TempFolder dir;
    dir.Write("G/drwa_BBS.ini", "[BASIC]\r\nURL=http://b.example/bbs\r\n");
    const std::string settings = dir / "G/drwa_BBS.ini";
    struct Case {
        const char* why;
        TPostEml mail;
        std::vector<std::string> lines;
    } cases[] = {
        {"morning: a blank and no leading zero; URL template expanded; $, kept",
         Request(dir, 9, 5),
         {"S:*,*,03/12/09, 9:05,U,", "T:件名", "P:LIB,http://b.example/bbs/post,msg=$M$,x", "M:one",
          "."}},
        {"just before noon", Request(dir, 11, 59, "15"), {"S:*,15,03/12/09, 11:59,U,"}},
        {"noon: two digits", Request(dir, 12, 0), {"S:*,*,03/12/09,12:00,U,"}},
        {"after midnight", Request(dir, 0, 7), {"S:*,*,03/12/09, 0:07,U,"}},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> lines = PostRequestRecord(c.mail, settings);
        ASSERT_GE(lines.size(), c.lines.size()) << c.why;
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + c.lines.size()), c.lines)
            << c.why;
    }

    TPostEml bodies = Request(dir, 13, 5);
    bodies.PostParams.clear();  // no template: no "P:" line
    bodies.Message.body_lines = {
        ".", text::ConvertJapaneseCode("日本語", text::JapaneseCode::kIso2022Jp), ".", ".."};
    EXPECT_THAT(PostRequestRecord(bodies, settings),
                ElementsAre("S:*,*,03/12/09,13:05,U,", "T:件名", "M:.", "日本語", ". ", "..", "."));
    bodies.Message.body_lines.clear();
    EXPECT_THAT(PostRequestRecord(bodies, settings),
                ElementsAre("S:*,*,03/12/09,13:05,U,", "T:件名", "M:", "."));
}

TEST(AppendPostRequest, HeaderBlockAndCount) {
    struct Case {
        const char* why;
        const char* before;  // nullptr: no file yet
        std::vector<std::string> after_header;
        const char* count;
    } cases[] = {
        {"missing file", nullptr, {}, "#U:1"},
        {"two requests: fixed values come back, old records stay",
         "#T:board\n#N:5\n#U:2\n#B:1\n#R:1\n#F:x\n#P:y\nS:*,*,a,,\n.\nS:*,*,b,U,\nM:t\n.\n",
         {"S:*,*,a,,", ".", "S:*,*,b,U,", "M:t", "."},
         "#U:3"},
        {"CR LF file", "#U:1\r\nS:*,*,a,U,\r\n.\r\n", {"S:*,*,a,U,", "."}, "#U:2"},
        {"only header lines: kept below, last #U: counts",
         "#U:4\n#X:keep\n#U:6\n",
         {"#U:4", "#X:keep", "#U:6"},
         "#U:7"},
        {"a count that is no number is ignored", "#U:2\n#U:many\nS:a\n.\n", {"S:a", "."}, "#U:3"},
        {"no header block", "S:a\n.\n", {"S:a", "."}, "#U:1"},
    };
    for (const Case& c : cases) {
        TempFolder dir;
        if (c.before) dir.Write("G/board.cmw", c.before);
        dir.Write("G/.keep", "");
        TPostEml mail = Request(dir, 13, 5);
        std::vector<std::int32_t> groups;
        EXPECT_FALSE(AppendPostRequest(nullptr, groups, mail)) << c.why;
        EXPECT_FALSE(mail.Failed()) << mail.GroupKey;
        std::vector<std::string> expected = kFreshHeader;
        expected[2] = c.count;
        expected.insert(expected.end(), c.after_header.begin(), c.after_header.end());
        for (const std::string& line : PostRequestRecord(mail, dir / "G/drwa_BBS.ini"))
            expected.push_back(line);
        EXPECT_EQ(Lines(dir, "G/board.cmw"), expected) << c.why;
        EXPECT_EQ(dir.Read("G/board.cmw").find('\r'), std::string::npos) << c.why;
    }
}

TEST(AppendPostRequest, ListsEachGroupOnceAndNamesTheFileForTheSource) {
    TempFolder dir;
    dir.Write("G/.keep", "");
    std::vector<std::int32_t> groups = {7};
    TPostEml first = Request(dir, 13, 5);
    TPostEml second = Request(dir, 13, 6);
    second.BoardFile.clear();  // no source name: the file ".cmw"
    EXPECT_FALSE(AppendPostRequest(nullptr, groups, first));
    EXPECT_FALSE(AppendPostRequest(nullptr, groups, second));
    EXPECT_THAT(groups, ElementsAre(7, 2));
    EXPECT_TRUE(dir.Exists("G/board.cmw"));
    EXPECT_TRUE(dir.Exists("G/.cmw"));
}

TEST(AppendPostRequest, StopAndWriteFailure) {
    TempFolder dir;
    {
        ProgressRecorder host;
        host.AbortWhen([](const std::string& t) { return t == "LIBによる送信開始"; });
        std::vector<std::int32_t> groups;
        TPostEml mail = Request(dir, 13, 5);
        EXPECT_TRUE(AppendPostRequest(ProgressRecorder::callback(), groups, mail));
        EXPECT_TRUE(groups.empty());
        EXPECT_FALSE(dir.Exists("G/board.cmw"));
    }
    // No group folder to write into: the mail fails, the group is listed all
    // the same so that the requests queued before still leave.
    std::vector<std::int32_t> groups;
    TPostEml mail = Request(dir, 13, 5);
    EXPECT_FALSE(AppendPostRequest(nullptr, groups, mail));
    EXPECT_THAT(mail.GroupKey, HasSubstr("board.cmw に書き込めません"));
    EXPECT_THAT(groups, ElementsAre(2));
}

// The file the writer leaves is what the pruning reads after the plugin ran.
TEST(AppendPostRequest, PrunedOnceThePluginMarkedTheRequests) {
    TempFolder dir;
    dir.Write("G/.keep", "");
    std::vector<std::int32_t> groups;
    TPostEml first = Request(dir, 13, 5);
    TPostEml second = Request(dir, 14, 0);
    second.Message.body_lines = {"pending"};
    AppendPostRequest(nullptr, groups, first);
    AppendPostRequest(nullptr, groups, second);

    // The plugin posted the first request only.
    std::string text = dir.Read("G/board.cmw");
    text.replace(text.find("13:05,U,"), 8, "13:05,,");
    dir.Write("G/board.cmw", text);
    receive::PrunePostRequestFile(dir / "G/board.cmw");
    std::vector<std::string> expected = {"#T:", "#N:0", "#U:1", "#B:0", "#R:0", "#F:", "#P:"};
    for (const std::string& line : PostRequestRecord(second, dir / "G/drwa_BBS.ini"))
        expected.push_back(line);
    EXPECT_THAT(Lines(dir, "G/board.cmw"), ElementsAreArray(expected));

    text = dir.Read("G/board.cmw");
    text.replace(text.find("14:00,U,"), 8, "14:00,,");
    dir.Write("G/board.cmw", text);
    receive::PrunePostRequestFile(dir / "G/board.cmw");
    EXPECT_FALSE(dir.Exists("G/board.cmw"));
}

}  // namespace
}  // namespace drwa::post
