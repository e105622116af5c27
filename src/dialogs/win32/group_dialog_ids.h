// The control IDs of the group properties dialog on Windows: the view creates
// its controls under them, and a test host finds them by them. The editors of
// the plugin's own page are children of kFramePropertyEdit1 and have IDs of
// their own there (dialogs/win32/property_page_window.h).
#pragma once

namespace drwa::dialogs::win32::group_ids {

// OK and Cancel keep the system's IDs, so Enter and Esc reach them.
inline constexpr int kOK = 1;
inline constexpr int kCancel = 2;

// Above and below the pages.
inline constexpr int kEditKeijibanName = 1001;
inline constexpr int kButtonMakeFolder = 1002;
inline constexpr int kComboBoxKeijibanName = 1003;
inline constexpr int kLabelNameHenko = 1004;
inline constexpr int kEditNameHenko = 1005;
inline constexpr int kPageControl1 = 1010;

// Page "基本設定".
inline constexpr int kComboBoxPluginName = 1021;  // its label is the ID before
inline constexpr int kButtonPluginHelp = 1022;
inline constexpr int kCheckBoxJunkai = 1023;
inline constexpr int kLabelPluginTaiou = 1024;
inline constexpr int kLabelPluginSakusya = 1025;
inline constexpr int kLabelPluginVersion = 1026;
inline constexpr int kMemoPluginComment = 1028;  // its label is the ID before

// Page "巡回設定": box n (1 ... 10) is kEditJunkai1 + n - 1, its label
// kLabelJunkai1 + n - 1.
inline constexpr int kLabelJunkai1 = 1031;
inline constexpr int kEditJunkai1 = 1041;

// Page "詳細".
inline constexpr int kFramePropertyEdit1 = 1061;  // its label is the ID before
inline constexpr int kComboBoxCharSet = 1063;
inline constexpr int kMemoSignature = 1065;

// Page "詳細2" and its own pages "Subject", "BBSTitle" and "その他".
inline constexpr int kPageControl2 = 1070;
inline constexpr int kCheckBoxHikitugiSubject = 1071;
inline constexpr int kSubjectPanel = 1080;  // the panel's IDs from here on
inline constexpr int kCheckBoxHikitugiBBSTitle = 1091;
inline constexpr int kTitlePanel = 1100;
inline constexpr int kSpinEditThreadNumber = 1111;  // its arrows are the next ID
inline constexpr int kCheckBoxSaveNumber = 1113;
inline constexpr int kButtonTorikomi = 1114;

}  // namespace drwa::dialogs::win32::group_ids
