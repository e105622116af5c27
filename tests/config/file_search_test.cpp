#include "config/file_search.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "config/text_helpers.h"
#include "common/error.h"
#include "support/temp_folder.h"

namespace drwa::config {
namespace {

using drwa::testing::TempFolder;
using ::testing::ElementsAre;

TEST(FileSearch, ArticleFilesAreVisibleFilesOfTheFolderOnly) {
    TempFolder dir;
    for (const char* f : {"a.cm$", "B.CM$", ".hidden.cm$", "x.txt", "a.cm$.tmp", "sub/c.cm$"})
        dir.Write(f, "x");
    dir.Write("folder.cm$/inside.cm$", "x");
    std::vector<std::string> found{"kept"};
    FindArticleFiles(dir.path(), found);
    EXPECT_THAT(found, ElementsAre("kept", dir / "B.CM$", dir / "a.cm$"));

    std::vector<std::string> none;
    FindArticleFiles(dir / "missing", none);
    EXPECT_TRUE(none.empty());
}

TEST(FileSearch, PostRequestFilesEnterOnlyFoldersMatchingThePattern) {
    TempFolder dir;
    for (const char* f : {"1.cmw", "2.CMW", ".3.cmw", "x.cm$", "nest.cmw/4.cmw", "other/5.cmw"})
        dir.Write(f, "x");
    std::vector<std::string> found;
    FindPostRequestFiles(dir.path(), found);
    EXPECT_THAT(found, ElementsAre(dir / "1.cmw", dir / "2.CMW", dir / "nest.cmw/4.cmw"));
}

TEST(FileSearch, ArticlePluginsOnePerNameSortedWithoutCase) {
    TempFolder dir;
    for (const char* f : {"cm_a.PL", "cm_a.RB", "cm_b.txt", "cm_Zeta.exe", "CM_beta.pl",
                          "cm_noext", ".cm_hidden.PL", "xcm_c.PL", "cm_dir.PL/x"})
        dir.Write(f, "x");
    auto plugins = ListArticlePlugins(dir.path());
    std::vector<std::pair<std::string, PluginKind>> got;
    for (const auto& p : plugins) got.emplace_back(p.name, p.kind);
    EXPECT_THAT(got, ElementsAre(std::pair{std::string("a"), PluginKind::kPerl},
                                 std::pair{std::string("beta"), PluginKind::kPerl},
                                 std::pair{std::string("Zeta"), PluginKind::kExe}));
}

TEST(TextHelpers, SplitFields) {
    struct Case {
        const char* text;
        int n;
        bool escape;
        std::vector<std::string> fields;
    } cases[] = {
        {"a,b", 3, false, {"a", "b", ""}},          // too few commas: empty fields
        {"a,b,c,d", 3, false, {"a", "b", "c,d"}},   // the last field keeps the rest
        {"a$,b,c", 2, true, {"a$,b", "c"}},         // escaped comma stays in its field
        {"a$,b,c", 2, false, {"a$", "b,c"}},        // without the flag it splits
        {"LIB,,", 3, true, {"LIB", "", ""}},
        {"x$$,y", 2, true, {"x$$,y", ""}},          // the "$," after a dollar is escaped too
        {"anything", 0, false, {"anything"}},       // below one field: one field
        {"", 2, false, {"", ""}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SplitFields(c.text, c.n, c.escape), c.fields)
            << c.text << " into " << c.n << (c.escape ? " with escape" : "");
    }
}

TEST(TextHelpers, SaveLinesLfWritesBareLineFeeds) {
    TempFolder dir;
    SaveLinesLf({"x", "y"}, dir / "two.txt");
    EXPECT_EQ(dir.Read("two.txt"), "x\ny\n");
    SaveLinesLf({"a\r\nb", "c"}, dir / "two.txt");  // replaced whole
    EXPECT_EQ(dir.Read("two.txt"), "a\nb\nc\n");
    EXPECT_THROW(SaveLinesLf({"x"}, dir / "no/such/folder/f.txt"), Error);
}

TEST(TextHelpers, NewGuidStringIsAFreshUpperCaseGuid) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        std::string g = NewGuidString();
        EXPECT_TRUE(std::regex_match(g, form)) << g;
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 100u);
}

}  // namespace
}  // namespace drwa::config
