// Names of the sections and keys of the settings files, and their defaults
// where several readers share them.
#pragma once

#include <string_view>

namespace drwa::config::keys {

// Account settings file.
inline constexpr std::string_view kPlugin = "PLUGIN";
inline constexpr std::string_view kServer = "SERVER";
inline constexpr std::string_view kGroupCount = "GROUP_COUNT";
inline constexpr std::string_view kThreadCount = "THREAD_COUNT";
inline constexpr std::string_view kPluginFolder = "DRWA_PLUGIN_FOLDER";
inline constexpr std::string_view kPerlExe = "PERL_EXE";
inline constexpr std::string_view kRubyExe = "RUBY_EXE";
inline constexpr std::string_view kProxySetting = "PROXY_SETTING";
inline constexpr std::string_view kProxyHost = "PROXY_HOST";
inline constexpr std::string_view kProxyPort = "PROXY_PORT";
inline constexpr std::string_view kTimeout = "TIMEOUT";
inline constexpr std::string_view kTimeout2 = "TIMEOUT2";
inline constexpr std::string_view kAbortTransLog = "ABORT_TRANS_LOG";
inline constexpr std::string_view kSubjectIncludeNumber = "SUBJECT_INCLUDE_NUMBER";
inline constexpr std::string_view kSubjectZeroNumber = "SUBJECT_ZERO_NUMBER";
inline constexpr std::string_view kSubjectFormat = "SUBJECT_FORMAT";
inline constexpr std::string_view kTitleInsert = "TITLE_INSERT";
inline constexpr std::string_view kTitleFormat = "TITLE_FORMAT";
inline constexpr std::string_view kFolderName = "FOLDER_NAME";
inline constexpr std::string_view kSpecifyFolder = "SPECIFYFOLDER";
inline constexpr std::string_view kDataFolder = "DATAFOLDER";

// Group settings file.
inline constexpr std::string_view kBasic = "BASIC";
inline constexpr std::string_view kOption = "OPTION";
inline constexpr std::string_view kDialog = "DIALOG";
inline constexpr std::string_view kGuid = "GUID";
inline constexpr std::string_view kBbsFolder = "BBSFOLDER";
inline constexpr std::string_view kSubDir = "SUB_DIR";
inline constexpr std::string_view kLib = "LIB";
inline constexpr std::string_view kLibType = "LIB_TYPE";
inline constexpr std::string_view kUrl = "URL";
inline constexpr std::string_view kUpUrl = "UPURL";
inline constexpr std::string_view kName = "NAME";
inline constexpr std::string_view kEmail = "EMAIL";
inline constexpr std::string_view kHp = "HP";
inline constexpr std::string_view kKey = "KEY";
inline constexpr std::string_view kUser = "USER";
inline constexpr std::string_view kPass = "PASS";
inline constexpr std::string_view kParam1 = "PARAM1";
inline constexpr std::string_view kParam2 = "PARAM2";
inline constexpr std::string_view kCharset = "CHARSET";
inline constexpr std::string_view kProxy = "PROXY";
inline constexpr std::string_view kInhSub = "INH_SUB";
inline constexpr std::string_view kInhTitle = "INH_TITLE";
inline constexpr std::string_view kThreadNumber = "THREAD_NUMBER";
inline constexpr std::string_view kSaveNumber = "SAVE_NUMBER";
// Optional: a post counts only when the board's answer contains this text.
inline constexpr std::string_view kPostSuccessText = "POST_SUCCESS_TEXT";

// Module settings file.
inline constexpr std::string_view kGeneral = "GENERAL";
inline constexpr std::string_view kLog = "LOG";

// Shared defaults.
inline constexpr int kDefaultThreadCount = 1;
inline constexpr std::string_view kDefaultPerlExe = "perl.exe";
inline constexpr std::string_view kDefaultRubyExe = "ruby.exe";
inline constexpr int kDefaultTimeout2 = 120;
inline constexpr std::string_view kDefaultSubjectFormat = "[$N]$S";
inline constexpr std::string_view kDefaultTitleFormat = "$G($T)";
inline constexpr int kDefaultSubjectZeroNumber = 10;
inline constexpr int kDefaultTitleInsert = 1;

}  // namespace drwa::config::keys
