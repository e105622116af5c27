#include "receive/post_request_pruner.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_folder.h"

namespace drwa::receive {
namespace {

using drwa::testing::TempFolder;

// The pruned file is written with CR LF whatever its lines ended with.
std::string WithCrLf(std::string text) {
    for (std::size_t at = 0; (at = text.find('\n', at)) != std::string::npos; at += 2)
        text.insert(at, 1, '\r');
    return text;
}

TEST(PrunePostRequestFile, KeepsOnlyPendingEntriesAndCountsThem) {
    struct Case {
        const char* why;
        std::string before;
        const char* after;  // with LF for CR LF; nullptr: the file is gone
    } cases[] = {
        {"all handled: deleted", "#U:2\nS:POST,http://b/,x,,\nbody\n.\nS:POST,http://b/,y,,\n.\n",
         nullptr},
        {"one pending: kept with its count",
         "#T:title\n#U:2\nS:POST,http://b/,x,,\nbody\n.\nS:POST,http://b/,y\nline\n.\n",
         "#T:title\n#U:1\nS:POST,http://b/,y\nline\n.\n"},
        {"no count line yet: inserted first", "#T:t\nS:GET,u,p\n.\n", "#U:1\n#T:t\nS:GET,u,p\n.\n"},
        {"stray lines between entries dropped", "junk\nS:a\nx\n.\nmore junk\nS:b,,\n.\n",
         "#U:1\nS:a\nx\n.\n"},
        {"the last #U: line is the one replaced", "#U:9\n#X\n#U:8\nS:a\n.\n",
         "#U:9\n#X\n#U:1\nS:a\n.\n"},
        {"CR LF lines read as lines", "#U:1\r\nS:a\r\n.\r\n", "#U:1\nS:a\n.\n"},
        {"a dot inside a handled entry's text ends it", "S:a,,\n.\nS:b\n.\n", "#U:1\nS:b\n.\n"},
        {"only a header: nothing pending, deleted", "#U:0\n", nullptr},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("req.cmw", c.before);
        PrunePostRequestFile(dir / "req.cmw");
        if (c.after)
            EXPECT_EQ(dir.Read("req.cmw"), WithCrLf(c.after)) << c.why;
        else
            EXPECT_FALSE(dir.Exists("req.cmw")) << c.why;
    }
}

TEST(PrunePostRequestFile, MissingFileIsLeftAlone) {
    TempFolder dir;
    EXPECT_NO_THROW(PrunePostRequestFile(dir / "none.cmw"));
}

}  // namespace
}  // namespace drwa::receive
