// What a driven account dialog must show and write, whichever view drives it:
// the Qt view's test and the Win32 view's test under Wine assert these same
// bytes. The literals are compiled in each test's own execution character set.
#pragma once

#include <string_view>

namespace drwa::dialogs::expected {

// An empty account file after Cancel: only the group list rebuilt.
inline constexpr std::string_view kCancelledEmptyAccount = "[PLUGIN]\r\nGROUP_COUNT=0\r\n";

// The messages of the OK checks, in the order the driven case meets them:
// port 0, port 70000, port "abc", thread count 5.
inline constexpr std::string_view kBadPort = "ポート番号が不正です";
inline constexpr std::string_view kPortNotANumber = "'abc' は整数として読めません";
inline constexpr std::string_view kBadThreadCount = "スレッド数は１以上４以下です";

// An empty account file after OK with proxy item 1 "proxy.lan" port 8080, a
// time-out of 30, three threads and the log converted after a stop.
inline constexpr std::string_view kDrivenOkAccount =
    "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=\r\nPERL_EXE=perl.exe\r\nRUBY_EXE=ruby.exe\r\n"
    "PROXY_SETTING=1\r\nPROXY_HOST=proxy.lan\r\nPROXY_PORT=8080\r\nTIMEOUT=30\r\n"
    "TIMEOUT2=120\r\nTHREAD_COUNT=3\r\nABORT_TRANS_LOG=1\r\n"
    "SUBJECT_INCLUDE_NUMBER=0\r\nSUBJECT_ZERO_NUMBER=10\r\nSUBJECT_FORMAT=[$N]$S\r\n"
    "TITLE_INSERT=1\r\nTITLE_FORMAT=$G($T)\r\nGROUP_COUNT=0\r\n";

// A stored system proxy setting (item 2) with the host and port of an earlier
// item 1: OK keeps both as they were.
inline constexpr std::string_view kStoredSystemProxy =
    "[PLUGIN]\r\nPROXY_SETTING=2\r\nPROXY_HOST=old.example\r\nPROXY_PORT=8000\r\n";

}  // namespace drwa::dialogs::expected
