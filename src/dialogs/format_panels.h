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
extern const std::string_view kNoSectionMessage;

class TFrameSubjectFrame {
  public:
    // Set by the dialog before Load; the panel does not own the file. Without
    // a file, Load and Save only update the enabling and the preview.
    std::string Section;
    config::IniFile* Settings = nullptr;

    // Controls, in tab order.
    int RadioGroup1 = 0;                  // 0 "つけない", 1 "つける"
    int SpinEditKeta = 10;                // digits, 1 ... 16
    std::string EditSyoshiki = "[$N]$S";  // the format
    std::string LabelSample;              // the preview
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
extern const std::string_view kRadioCaption;
extern const std::array<std::string_view, 2> kRadioItems;
extern const std::string_view kLabelSyoshiki;
extern const std::string_view kLabelSampleCaption;
extern const std::string_view kSampleTitle;
inline constexpr std::string_view kSampleNumber = "23";
}  // namespace subject_texts

namespace title_texts {
extern const std::string_view kRadioCaption;
extern const std::array<std::string_view, 4> kRadioItems;
extern const std::string_view kLabelSyoshiki;
extern const std::string_view kLabelSampleCaption;
inline constexpr std::string_view kSampleGroup = "TQNAVE";
extern const std::string_view kSampleTitle;
}  // namespace title_texts

}  // namespace drwa::dialogs
