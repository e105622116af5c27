#include "config/proxy_settings.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/error.h"
#include "support/temp_folder.h"

namespace drwa::config {
namespace {

using drwa::testing::TempFolder;

platform::SystemProxySettings Enabled(const std::string& server) {
    return {platform::ProxyEnableValue{true, std::string("\x01\0\0\0", 4), 0}, server};
}

TEST(DetectSystemProxy, ReadsTheServerTextAsTheInternetSettingsWriteIt) {
    struct Case {
        const char* why;
        platform::SystemProxySettings settings;
        bool found;
        std::string host;
        std::int32_t port;
    } cases[] = {
        {"host and port for every protocol", Enabled("proxy.example:8080"), true, "proxy.example",
         8080},
        {"the http item of a list, found without regard to case",
         Enabled("ftp=f:21;HTTP=h:3128;https=s:443"), true, "h", 3128},
        {"http item with an empty port: 80", Enabled("http=h:"), true, "h", 80},
        {"no colon at all: port 80", Enabled("h"), true, "h", 80},
        {"http item without a colon: not found", Enabled("http=h"), false, "", 0},
        {"the port ends at the next colon", Enabled("h:81:x"), true, "h", 81},
        {"blanks around the port", Enabled("h: 82 "), true, "h", 82},
        {"no ProxyEnable value", {std::nullopt, "h:1"}, false, "", 0},
        {"binary value disabled",
         {platform::ProxyEnableValue{true, std::string(4, '\0'), 0}, "h:1"},
         false,
         "",
         0},
        {"integer 1 is enabled", {platform::ProxyEnableValue{false, "", 1}, "h:1"}, true, "h", 1},
        {"integer 2 is disabled", {platform::ProxyEnableValue{false, "", 2}, "h:1"}, false, "", 0},
    };
    for (const auto& c : cases) {
        ProxyResult r = DetectSystemProxy(c.settings);
        EXPECT_EQ(r.found, c.found) << c.why;
        EXPECT_EQ(r.host, c.host) << c.why;
        EXPECT_EQ(r.port, c.port) << c.why;
    }
    // A port that is no decimal number is a conversion error, not a guess.
    EXPECT_THROW(DetectSystemProxy(Enabled("h:$10")), Error);
    EXPECT_THROW(DetectSystemProxy(Enabled("http=h:x;")), Error);
}

TEST(LookUpProxy, ChoosesBySetting) {
    unsetenv("HTTP_PROXY");
    setenv("http_proxy", "http://user:pw@detected.example:3128/", 1);
    struct Case {
        const char* settings;
        std::string host;
        std::int32_t port;
    } cases[] = {
        {"", "", 0},  // no setting: no proxy
        {"PROXY_SETTING=1\r\nPROXY_HOST=typed.example\r\nPROXY_PORT=8000\r\n", "typed.example",
         8000},
        {"PROXY_SETTING=1\r\n", "", 0},  // typed in, but empty: no proxy for anyone
#ifndef _WIN32
        // Detected from the environment here; Windows reads its Internet
        // settings (driven through the account dialog's test there).
        {"PROXY_SETTING=2\r\n", "detected.example", 3128},
#endif
        {"PROXY_SETTING=3\r\nPROXY_HOST=x\r\nPROXY_PORT=1\r\n", "", 0},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("a.ini", std::string("[PLUGIN]\r\n") + c.settings);
        ProxyResult r = LookUpProxy(IniFile(dir / "a.ini"));
        EXPECT_EQ(r.host, c.host) << c.settings;
        EXPECT_EQ(r.port, c.port) << c.settings;
    }
    unsetenv("http_proxy");
#ifndef _WIN32
    unsetenv("HTTP_PROXY");
    TempFolder dir;
    dir.Write("a.ini", "[PLUGIN]\r\nPROXY_SETTING=2\r\n");
    EXPECT_EQ(LookUpProxy(IniFile(dir / "a.ini")).host, "");  // nothing to detect
#endif
}

}  // namespace
}  // namespace drwa::config
