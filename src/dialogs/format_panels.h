// The two small panels that set how received mails get their subject and
// where the board title goes, each with a live preview. The account dialog
// shows them for [PLUGIN] of the account settings file, the group dialog for
// [OPTION] of the group settings file.
//
// No widget toolkit here: the public fields are the controls' state, the
// handlers are what the controls' events run; a view copies the fields to its
// widgets after each handler. Texts are CP932.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::dialogs {

// Load and Save without a section fail with this text.
inline constexpr std::string_view kNoSectionMessage = "セクションが設定されていません";

class TFrameSubjectFrame {
  public:
    // Set by the dialog before Load; the panel does not own the file. Without
    // a file, Load and Save only update the enabling and the preview.
    std::string Section;
    config::IniFile* Settings = nullptr;

    // Controls, in tab order.
    int RadioGroup1 = 0;                 // 0 "つけない", 1 "つける"
    int SpinEditKeta = 10;               // digits, 1 ... 16
    std::string EditSyoshiki = "[$N]$S";  // the format
    std::string LabelSample;             // the preview
    // LabelSyoshiki, EditSyoshiki, LabelSampleCaption, LabelSample and
    // SpinEditKeta are enabled exactly when this is true.
    bool FormatEnabled = false;

    // SUBJECT_INCLUDE_NUMBER, SUBJECT_FORMAT, SUBJECT_ZERO_NUMBER into the
    // controls, then the radio and format handlers.
    void Load();
    // The controls back; a blank format is stored as "[$N]$S".
    void Save() const;

    void RadioGroup1Click();
    void EditSyoshikiChange();
    void SpinEditKetaChange();

    static constexpr int kMinDigits = 1;
    static constexpr int kMaxDigits = 16;
};

class TFrameBBSTitleFrame {
  public:
    std::string Section;
    config::IniFile* Settings = nullptr;

    int RadioGroup1 = 1;  // TITLE_INSERT: 0 nowhere, 1 X-KVT7R-BBS-TITLE, 2 Cc, 3 List-Id
    std::string EditSyoshiki = "$G($T)";
    std::string LabelSample;
    // LabelSyoshiki, EditSyoshiki, LabelSampleCaption and LabelSample are
    // enabled exactly when this is true (the radio group stays active).
    bool FormatEnabled = true;

    // TITLE_INSERT and TITLE_FORMAT into the controls, then the handlers.
    void Load();
    // The controls back; the format is stored as typed, also when empty.
    void Save() const;

    void RadioGroup1Click();
    void EditSyoshikiChange();
};

// The panels' fixed texts.
namespace subject_texts {
inline constexpr std::string_view kRadioCaption = "記事番号";
inline constexpr std::array<std::string_view, 2> kRadioItems{"つけない", "つける"};
inline constexpr std::string_view kLabelSyoshiki =
    "Subject($S)と記事番号($N)の書式    数字の桁数";
inline constexpr std::string_view kLabelSampleCaption = "サンプル　$S=サブジェクト　$N=23　の時";
inline constexpr std::string_view kSampleTitle = "サブジェクト";
inline constexpr std::string_view kSampleNumber = "23";
}  // namespace subject_texts

namespace title_texts {
inline constexpr std::string_view kRadioCaption = "BBSタイトル";
inline constexpr std::array<std::string_view, 4> kRadioItems{
    "つけない", "X-KVT7R-BBS-TITLE:につける", "Cc:につける", "List-Id:につける"};
inline constexpr std::string_view kLabelSyoshiki = "グループ名($G)とcmtのT:($T)の書式";
inline constexpr std::string_view kLabelSampleCaption =
    "サンプル　$G=TQNAVE　$T=10 お試し掲示板B　の時";
inline constexpr std::string_view kSampleGroup = "TQNAVE";
inline constexpr std::string_view kSampleTitle = "10 お試し掲示板B";
}  // namespace title_texts

}  // namespace drwa::dialogs
