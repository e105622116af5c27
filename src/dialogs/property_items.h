// The plugin's own settings page: the items an article plugin declares in the
// [DIALOG] section of its group settings file, shown as one small editor each
// and written into [BASIC] on OK, where the plugin reads them.
//
// This is what the page does, with no widget toolkit: a view shows the editors
// in order, lets the user change `Value` (or the radio selection) and calls
// `SaveTo` on OK. Texts are CP932.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_file.h"

namespace drwa::dialogs {

// Keys L000 ... L998: at most 999 items.
inline constexpr int kMaxPropertyItems = 999;

// One item of the list, its value split at the first two commas. A value with
// fewer commas leaves the trailing fields empty; the caption keeps any further
// commas.
struct PropertyItem {
    std::string kind;  // "L", "C", "R", "T", "TS", "TD", "F", "P"; anything else shows nothing
    std::string key;
    std::string caption;
};
PropertyItem SplitPropertyItem(std::string_view value);

// The item list of `section` (normally "DIALOG"): L000, L001, ... up to the
// first key whose value is empty or exactly "." (later keys are ignored).
std::vector<PropertyItem> ReadPropertyItems(const config::IniFile& file,
                                            std::string_view section = "DIALOG");

enum class EditorKind { kHeading, kCheckBox, kRadioGroup, kText, kNumber, kFile, kColour };

// One button of a radio group: its caption and its key field, a whole
// name "=" value pair.
struct RadioChoice {
    std::string caption;
    std::string key;
};

// One editor of the page (the heading and the value editors). The first three
// fields are those every value editor has: the item's caption, the current
// value, the key field unchanged.
struct PropertyEditor {
    EditorKind kind = EditorKind::kHeading;
    std::string Caption;
    std::string Value;  // check box: "1" ticked, anything else not; radio group: unused
    std::string Key;    // radio group: unused (each choice has its own)
    // Frame name + the page's item counter: "FrameMidashi1", "FrameCheckBox2",
    // "FrameRadioGroup3", "FrameEdit4", "FrameEditNum5", "FrameFolder6",
    // "FrameColor7". Views use it as the widget's object name.
    std::string component_name;
    std::vector<RadioChoice> choices;  // radio group only
    int selected = -1;                 // radio group: index into choices, -1 = none

    bool Ticked() const { return Value == "1"; }
    // The pair this editor saves, name "=" value; empty = nothing to save
    // (a heading, a radio group without a selection).
    std::string SavePair() const;
    // What a value editor's label shows: the caption, one space, and the value
    // in double quotes with inner quotes doubled.
    std::string LabelText() const;
};

// The scrolling page of editors.
class TFramePropertyEdit {
  public:
    // Clears the page (no editors, counter 0, no open radio group) and adds one
    // editor per item of [DIALOG] of `file`, with its initial value from
    // [BASIC] of the same file. Consecutive "R" items form one radio group;
    // any other item ends it. Malformed stored values (a colour or number that
    // does not read) give an empty value, never a failure.
    void BuildPropertyItems(const config::IniFile& file);
    void Clear();

    std::vector<PropertyEditor>& Editors() { return editors_; }
    const std::vector<PropertyEditor>& Editors() const { return editors_; }
    // No editor at all: the page keeps the button-face colour.
    bool Empty() const { return editors_.empty(); }

    // Writes every editor's pair, in creation order, as name = value into
    // `section` of `file`; pairs that are empty or have an empty name are
    // passed over, and so are names no settings line can hold (starting with
    // "[" or ";"). Blanks around a key name are ignored, on reading as on
    // writing, as the settings file does. An empty section name fails with
    // "Sectionが空文字です"; a write the system refuses fails with its error,
    // the pairs before it written.
    void SaveTo(std::string_view section, config::IniFile& file) const;

  private:
    std::vector<PropertyEditor> editors_;
    int counter_ = 0;
};

// Rules the editors share with their views.

// Whether `text` reads as a decimal number (optional sign, digits with at most
// one ".", an optional exponent; blanks around it allowed), as a number
// editor accepts it.
bool ReadsAsDecimalNumber(std::string_view text);
// The keys a number editor lets through while typing (backspace aside).
bool IsNumberEditorKey(char c);
// What a number editor reports when committing a text that is no number.
std::string NotANumberMessage(std::string_view text);

// The file pattern of a file chooser, from a caption ending in ")": the text
// inside the last "(" ... ")" is the pattern, the text before "(" the
// description. Nothing when the caption has not both parts.
struct FileFilter {
    std::string description;
    std::string pattern;
};
std::optional<FileFilter> FileFilterOf(std::string_view caption);

// A colour value: six hexadecimal digits of a Windows colour value (blue,
// green, red from the high byte down). Nothing when the text does not read as
// hexadecimal; up to eight digits read, so a value with a flag byte above the
// colour is kept as it was stored.
std::optional<std::uint32_t> ParseColourValue(std::string_view value);
// The stored form of a chosen colour: six upper-case hexadecimal digits.
std::string ColourValueText(std::uint32_t bgr);

// Check boxes and radio buttons get their caption as a hover hint when it is
// longer than this many bytes (CP932).
inline constexpr std::size_t kCaptionHintBytes = 50;
// A value label gets its full text as hint when its right edge reaches this
// share of the editor's width.
inline constexpr double kLabelHintShare = 0.95;

// Layout numbers the views keep.
inline constexpr int kPropertyTextBoxWidth = 340;  // less a vertical scroll bar when shown
inline constexpr int kRadioButtonHeight = 17;
inline constexpr int kRadioButtonWidth = 360;
inline constexpr int kRadioButtonLeft = 20;
// Top of button n (1-based) inside its group, and the group's height with n buttons.
constexpr int RadioButtonTop(int n) {
    return n * kRadioButtonHeight - 15;
}
constexpr int RadioGroupHeight(int n) {
    return n * kRadioButtonHeight + 3;
}

}  // namespace drwa::dialogs
