#include "platform/command_line.h"

#include <gtest/gtest.h>

namespace drwa::platform {
namespace {

TEST(SplitCommandLine, FollowsTheWindowsRuntimeRules) {
    struct Case {
        const char* line;
        std::vector<std::string> args;
    } cases[] = {
        {R"("perl.exe" "/p/cm_A.PL")", {"perl.exe", "/p/cm_A.PL"}},
        {R"("ruby.exe" -KS "/p/cm_B.RB")", {"ruby.exe", "-KS", "/p/cm_B.RB"}},
        {R"(  prog   a  b )", {"prog", "a", "b"}},
        // The program name keeps a trailing backslash: Windows folders end in one.
        {R"("C:\tools\" x)", {"C:\\tools\\", "x"}},
        // A doubled quote inside quotes is one quote (how the library quotes).
        {R"(p "say ""hi"" now")", {"p", "say \"hi\" now"}},
        {R"(p "x" "i")", {"p", "x", "i"}},
        {R"(p a\\"b c")", {"p", "a\\b c"}},   // 2n backslashes: n and an opening quote
        {R"(p a\"b)", {"p", "a\"b"}},         // 2n+1: n and a literal quote
        {R"(p a\b\\c)", {"p", "a\\b\\\\c"}},  // not before a quote: literal
        {R"(p "")", {"p", ""}},               // an empty argument
        {R"(p "unclosed arg)", {"p", "unclosed arg"}},
        // 0x5C as the trail byte of a double-byte character is no backslash.
        {"p \"/d/\x95\x5C\" x", {"p", "/d/\x95\x5C", "x"}},
        {"", {}},
        {"   ", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(SplitCommandLine(c.line), c.args) << c.line;
}

}  // namespace
}  // namespace drwa::platform
