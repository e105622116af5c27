// The control IDs of the account dialog on Windows: the view creates its
// controls under them, and a test host finds them by them.
#pragma once

namespace drwa::dialogs::win32::account_ids {

// OK and Cancel keep the system's IDs, so Enter and Esc reach them.
inline constexpr int kOK = 1;
inline constexpr int kCancel = 2;

inline constexpr int kEditDRWAPluginFolder = 1001;
inline constexpr int kButtonDRWAPluginFolder = 1002;
inline constexpr int kEditPerlFolder = 1003;
inline constexpr int kButtonPerlFolder = 1004;
inline constexpr int kEditRubyFolder = 1005;
inline constexpr int kButtonRubyFolder = 1006;
inline constexpr int kGroupBoxRadioGroup1 = 1010;
inline constexpr int kRadioProxy1 = 1011;  // items 1 ... 3 follow on
inline constexpr int kLabelProxy = 1014;
inline constexpr int kEditProxy = 1015;
inline constexpr int kEditProxyPort = 1016;

inline constexpr int kSpinEditTimeOut = 1020;  // the edit; its arrows are the next ID
inline constexpr int kSpinEditTimeOut2 = 1022;
inline constexpr int kSpinEditThreadCount = 1024;
inline constexpr int kCheckBoxAbortTransLog = 1026;
inline constexpr int kFirstNote = 1027;  // the red notes, four lines
inline constexpr int kNoteCount = 4;

// The subject panel.
inline constexpr int kSubjectRadio1 = 1041;  // item 2 follows on
inline constexpr int kSubjectSpinEditKeta = 1043;
inline constexpr int kSubjectEditSyoshiki = 1046;
inline constexpr int kSubjectLabelSample = 1048;

// The title panel.
inline constexpr int kTitleRadio1 = 1061;  // items 2 ... 4 follow on
inline constexpr int kTitleEditSyoshiki = 1066;
inline constexpr int kTitleLabelSample = 1068;

inline constexpr int kPageControl1 = 1100;
inline constexpr int kLabelVersion = 1101;
inline constexpr int kLabelAuthor = 1102;

}  // namespace drwa::dialogs::win32::account_ids
