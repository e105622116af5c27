// What a driven group properties dialog must show and write, whichever view
// drives it: the Qt view's test and the Win32 view's test under Wine assert
// these same bytes. The literals are compiled in each test's own execution
// character set; the group's random identity is masked as "GUID=<guid>".
#pragma once

#include <string_view>

namespace drwa::dialogs::expected {

// A new group "board" made with the sample plugin, every page visited: the
// patrol page with an address, a name and a mail field, the interval of the
// plugin's page set to 800, "EUC", both format panels set apart from the
// account's (numbers with three digits, the title into Cc), thread number 2,
// numbers saved; then renamed to "news" on OK.
inline constexpr std::string_view kNewGroupName = "board";
inline constexpr std::string_view kRenamedTo = "news";
inline constexpr std::string_view kAddress = "http://127.0.0.1:8080/news/";
inline constexpr std::string_view kPosterName = "名無し";
inline constexpr std::string_view kMail = "sage";
inline constexpr std::string_view kInterval = "800";
inline constexpr std::string_view kIntervalLabel =
    "同じサーバーへの要求の間隔 ミリ秒(空欄:500) \"800\"";
inline constexpr std::string_view kPluginVersion = "バージョン：1.2";
inline constexpr std::string_view kPluginAuthor = "作者：drwa plugin developers";
inline constexpr std::string_view kSubjectSample = "[023]サブジェクト";
inline constexpr std::string_view kTitleSample = "TQNAVE(10 お試し掲示板B)";
inline constexpr std::string_view kRenameQuestion =
    "掲示板名は NEWS に変更されます\nよろしいですか";
inline constexpr std::string_view kNewGroupFile =
    "[BASIC]\r\nBBSFOLDER=1\r\nGUID=<guid>\r\nLIB=TEXTBOARD\r\nLIB_TYPE=1\r\n"
    "CHARSET=EUC\r\nURL=http://127.0.0.1:8080/news/\r\nUPURL=\r\nNAME=名無し\r\n"
    "EMAIL=sage\r\nHP=\r\nKEY=\r\nPARAM1=\r\nPARAM2=\r\nUSER=\r\nPASS=\r\n"
    "INTERVAL_MS=800\r\nTIMEZONE=\r\nPOST_SUCCESS_TEXT=\r\n"
    "[DIALOG]\r\n"
    "URL=1\r\n_URL=板のアドレス(URL 例 http://host/board/)(&A):\r\n"
    "UPURL=1\r\n_UPURL=書き込み先 bbs.cgi (空欄なら板のアドレスから)(&W):\r\n"
    "NAME=1\r\n_NAME=名前(&N):\r\nEMAIL=1\r\n_EMAIL=メール欄(&M):\r\n"
    "PARAM1=1\r\n_PARAM1=読み込むスレッド数(空欄:すべて)(&P):\r\n"
    "PARAM2=1\r\n_PARAM2=既読件数(受信のたびに更新)(&D):\r\n"
    "L000=L,,受信\r\n"
    "L001=TD,INTERVAL_MS,同じサーバーへの要求の間隔 ミリ秒(空欄:500)\r\n"
    "L002=T,TIMEZONE,板の時刻の時差(空欄:+09:00 例 UTC, -05:00)\r\n"
    "L003=L,,書き込み\r\n"
    "L004=T,POST_SUCCESS_TEXT,書き込めたときの応答に含まれる文字列(空欄:確かめない)\r\n"
    "[OPTION]\r\nINH_SUB=0\r\nSUBJECT_INCLUDE_NUMBER=1\r\nSUBJECT_ZERO_NUMBER=3\r\n"
    "SUBJECT_FORMAT=[$N]$S\r\nINH_TITLE=0\r\nTITLE_INSERT=2\r\n"
    "TITLE_FORMAT=$G($T)\r\nTHREAD_NUMBER=2\r\nSAVE_NUMBER=1\r\n";

// An existing group edited and cancelled: its file keeps these bytes (leaving
// the first page writes the plugin choice, which was stored already).
inline constexpr std::string_view kKeptGroupFile =
    "[BASIC]\r\nGUID=00000000-0000-0000-0000-000000000001\r\nBBSFOLDER=1\r\n"
    "LIB=TEXTBOARD\r\nLIB_TYPE=1\r\nURL=http://kept/\r\n";

// A new group's name with a blank is refused in a box.
inline constexpr std::string_view kBlankInName = "a b";
inline constexpr std::string_view kBlankInNameError = "名前に' '(スペース)は使えません";

}  // namespace drwa::dialogs::expected
