#include "receive/console_thread.h"

#include <gtest/gtest.h>

#include <regex>

#include "config/folders.h"
#include "config/text_helpers.h"
#include "platform/files.h"
#include "platform/system.h"

namespace drwa::receive {
namespace {

// The module settings and log files sit beside the module: here, the test
// program itself. One test for both cases, as they share those two files.
TEST(ConsoleThread, WritesItsLogOnlyWhenTheModuleSettingsAskForIt) {
    const std::string ini = config::ModuleFileWith(".ini");
    const std::string log = config::ModuleFileWith(".log");
    platform::DeleteFile(ini);
    platform::DeleteFile(log);
    PluginConsole console;
    EXPECT_EQ(console.title().rfind("KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:", 0), 0u);

    { TConsoleThread thread(console); }
    EXPECT_FALSE(platform::FileExists(log)) << "a log without the switch";

    platform::WriteFileAtomic(ini, "[GENERAL]\r\nLOG=1\r\n");
    {
        TConsoleThread thread(console);
        platform::SleepMs(200);
        EXPECT_FALSE(thread.finished());
    }  // told to end: it must not take its 1.5 s pause to notice
    const auto lines = config::SplitLines(platform::ReadFile(log).value_or(""));
    platform::DeleteFile(ini);
    platform::DeleteFile(log);
    const std::regex stamp(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d:(.*))");
    std::vector<std::string> events;
    for (const auto& line : lines) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, stamp)) << line;
        events.push_back(m[1]);
    }
    EXPECT_EQ(events, (std::vector<std::string>{"ThreadStart", "0", "Success", "ThreadFinish"}));
}

}  // namespace
}  // namespace drwa::receive
