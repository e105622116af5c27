// Asking real Perl plugins whether they read a board: what counts as yes, and
// a plugin that does not end is stopped at the time limit.
#include "receive/board_question.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "config/ini_file.h"
#include "platform/system.h"
#include "support/temp_folder.h"

namespace drwa::receive {
namespace {

struct Case {
    const char* what;
    const char* perl;  // the plugin's code
    std::optional<std::string> title;
};

TEST(BoardQuestion, OnlyOkOnTheFirstLineAndExitZeroIsYes) {
    const Case cases[] = {
        {"title, trimmed, control characters dropped",
         R"(print "OK\r\n  Board\x01 One \r\nmore\r\n";)", "Board One"},
        {"no title", R"(print "OK\r\n";)", ""},
        {"the arguments, a quote in the address kept",
         R"(print $ARGV[0] eq "u" ? "OK\r\n$ARGV[1]\r\n" : "";)", "http://h/b/?q=\"x y\""},
        {"OK but a failure", R"(print "OK\r\nT\r\n"; exit 1;)", std::nullopt},
        {"another answer", R"(print "NO\r\nT\r\n";)", std::nullopt},
        {"OK not first", R"(print "reading\r\nOK\r\nT\r\n";)", std::nullopt},
        {"a plugin that stays", R"(print "OK\r\nT\r\n"; sleep 60;)", std::nullopt},
    };
    drwa::testing::TempFolder folder;
    folder.Write("account.ini",
                 "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + folder.path() + "\r\nPERL_EXE=perl\r\n");
    const config::IniFile account{folder / "account.ini"};
    for (const Case& c : cases) {
        folder.Write("cm_ASK.PL", std::string("$| = 1; binmode STDOUT; ") + c.perl);
        const std::uint64_t start = platform::MonotonicMs();
        const auto title = AskPluginForBoard(account, {"ASK", config::PluginKind::kPerl},
                                             "http://h/b/?q=\"x y\"", folder.path(), 2000);
        EXPECT_EQ(title, c.title) << c.what;
        EXPECT_LT(platform::MonotonicMs() - start, 10000u) << c.what;
    }
}

}  // namespace
}  // namespace drwa::receive
