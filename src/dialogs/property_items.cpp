#include "dialogs/property_items.h"

#include <array>
#include <cstdio>

#include "common/error.h"
#include "config/settings_keys.h"
#include "config/text_helpers.h"

namespace drwa::dialogs {
namespace {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The blanks the settings file drops around names and values.
std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

// Spaces and control characters, as a caption is trimmed for display.
std::string_view Trim(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

constexpr bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool IsHexDigit(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// What each item kind becomes on the page, and the frame name its component
// name starts with.
struct KindEntry {
    std::string_view kind;
    EditorKind editor;
    std::string_view frame;
};
constexpr std::array<KindEntry, 8> kKinds{{
    {"L", EditorKind::kHeading, "FrameMidashi"},
    {"C", EditorKind::kCheckBox, "FrameCheckBox"},
    {"R", EditorKind::kRadioGroup, "FrameRadioGroup"},
    {"T", EditorKind::kText, "FrameEdit"},
    {"TS", EditorKind::kText, "FrameEdit"},
    {"TD", EditorKind::kNumber, "FrameEditNum"},
    {"F", EditorKind::kFile, "FrameFolder"},
    {"P", EditorKind::kColour, "FrameColor"},
}};

const KindEntry* FindKind(std::string_view kind) {
    for (const auto& entry : kKinds) {
        if (entry.kind == kind) return &entry;
    }
    return nullptr;
}

// The key a value is stored under. The settings file itself ignores the blanks
// around a key name, so a key field " A" reads and writes the line "A=...";
// looking it up untrimmed would never find it, and every OK would append
// another copy.
std::string_view KeyName(std::string_view key_field) {
    return TrimBlanks(key_field);
}

// A key that the settings file would not read back as a key: a line that
// starts with "[" opens a section and one that starts with ";" is a comment.
// Writing such a name, which comes from a plugin's file, would cut [BASIC] in
// two or pile up dead lines on every OK.
bool IsStorableKey(std::string_view name) {
    return !name.empty() && name.front() != '[' && name.front() != ';';
}

std::string InitialValue(const config::IniFile& file, EditorKind kind, std::string_view key) {
    const std::string_view name = KeyName(key);
    if (!IsStorableKey(name)) return kind == EditorKind::kCheckBox ? "0" : "";
    const std::string_view section = config::keys::kBasic;
    switch (kind) {
        case EditorKind::kCheckBox:
            return file.ReadString(section, name, "0");
        case EditorKind::kNumber: {
            std::string value = file.ReadString(section, name, "");
            return ReadsAsDecimalNumber(value) ? value : std::string();
        }
        case EditorKind::kColour: {
            std::string value = file.ReadString(section, name, "");
            return ParseColourValue(value) ? value : std::string();
        }
        default:
            return file.ReadString(section, name, "");
    }
}

// Whether [BASIC] holds the radio button's pair: the name before the first
// "=", with the stored value, equals the whole key field, letter case aside.
// A missing key selects nothing, even for a pair with an empty value.
bool HoldsPair(const config::IniFile& file, std::string_view pair) {
    const std::size_t eq = pair.find('=');
    if (eq == std::string_view::npos) return false;
    const std::string_view name = KeyName(pair.substr(0, eq));
    if (!IsStorableKey(name) || !file.ValueExists(config::keys::kBasic, name)) return false;
    const std::string stored = file.ReadString(config::keys::kBasic, name, "");
    return config::SameTextNoCase(std::string(pair.substr(0, eq)) + "=" + stored, pair);
}

}  // namespace

PropertyItem SplitPropertyItem(std::string_view value) {
    auto fields = config::SplitFields(value, 3, false);
    return PropertyItem{std::move(fields[0]), std::move(fields[1]), std::move(fields[2])};
}

std::vector<PropertyItem> ReadPropertyItems(const config::IniFile& file, std::string_view section) {
    std::vector<PropertyItem> items;
    for (int i = 0; i < kMaxPropertyItems; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "L%03d", i);
        const std::string value = file.ReadString(section, key, "");
        if (value.empty() || value == ".") break;
        items.push_back(SplitPropertyItem(value));
    }
    return items;
}

std::string PropertyEditor::SavePair() const {
    switch (kind) {
        case EditorKind::kHeading:
            return {};
        case EditorKind::kRadioGroup:
            if (selected < 0 || static_cast<std::size_t>(selected) >= choices.size()) return {};
            return choices[static_cast<std::size_t>(selected)].key;
        case EditorKind::kCheckBox:
            return Key + "=" + (Ticked() ? "1" : "0");
        case EditorKind::kNumber:
            return Key + "=" + (ReadsAsDecimalNumber(Value) ? Value : std::string());
        default:
            return Key + "=" + Value;
    }
}

std::string PropertyEditor::LabelText() const {
    std::string quoted = Value;
    config::ReplaceAll(quoted, "\"", "\"\"");
    return Caption + " \"" + quoted + "\"";
}

void TFramePropertyEdit::Clear() {
    editors_.clear();
    counter_ = 0;
}

void TFramePropertyEdit::BuildPropertyItems(const config::IniFile& file) {
    Clear();
    // Where the next "R" item goes: an index into editors_ while the items
    // before it were "R" too.
    constexpr std::size_t kNoGroup = static_cast<std::size_t>(-1);
    std::size_t radio_group = kNoGroup;
    for (const PropertyItem& item : ReadPropertyItems(file)) {
        ++counter_;
        const KindEntry* entry = FindKind(item.kind);
        if (entry == nullptr || entry->editor != EditorKind::kRadioGroup) radio_group = kNoGroup;
        if (entry == nullptr) continue;

        if (entry->editor == EditorKind::kRadioGroup && radio_group != kNoGroup) {
            PropertyEditor& group = editors_[radio_group];
            group.choices.push_back({item.caption, item.key});
            if (group.selected < 0 && HoldsPair(file, item.key))
                group.selected = static_cast<int>(group.choices.size()) - 1;
            continue;
        }

        PropertyEditor editor;
        editor.kind = entry->editor;
        editor.component_name = std::string(entry->frame) + std::to_string(counter_);
        editor.Caption = item.caption;
        if (entry->editor == EditorKind::kRadioGroup) {
            editor.choices.push_back({item.caption, item.key});
            if (HoldsPair(file, item.key)) editor.selected = 0;
            radio_group = editors_.size();
        } else if (entry->editor != EditorKind::kHeading) {
            editor.Key = item.key;
            editor.Value = InitialValue(file, entry->editor, item.key);
        }
        editors_.push_back(std::move(editor));
    }
}

void TFramePropertyEdit::SaveTo(std::string_view section, config::IniFile& file) const {
    if (section.empty()) throw Error("Sectionが空文字です");
    for (const PropertyEditor& editor : editors_) {
        const std::string pair = editor.SavePair();
        const std::size_t eq = pair.find('=');
        // A pair without "=" has no name part, as one without a name before it.
        if (eq == std::string::npos) continue;
        const std::string_view name = KeyName(std::string_view(pair).substr(0, eq));
        if (!IsStorableKey(name)) continue;
        file.WriteString(section, name, std::string_view(pair).substr(eq + 1));
    }
}

bool ReadsAsDecimalNumber(std::string_view text) {
    const std::string_view s = TrimBlanks(text);
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t exponent = 0;
        for (; i < s.size() && IsDigit(s[i]); ++i) ++exponent;
        if (exponent == 0) return false;
    }
    return i == s.size();
}

bool IsNumberEditorKey(char c) {
    return IsDigit(c) || c == '.' || c == '-' || c == '+' || c == '\b';
}

std::string NotANumberMessage(std::string_view text) {
    return FormatMessage("'%s' は数値として読めません", std::string(text));
}

std::optional<FileFilter> FileFilterOf(std::string_view caption) {
    const std::string_view s = Trim(caption);
    // "(" and ")" are never the second byte of a double-byte character, so a
    // plain search is safe on CP932 text.
    if (s.empty() || s.back() != ')') return std::nullopt;
    const std::size_t open = s.rfind('(');
    if (open == std::string_view::npos) return std::nullopt;
    const std::string_view pattern = s.substr(open + 1, s.size() - open - 2);
    // "()" would give a chooser that lists no file at all.
    if (Trim(pattern).empty()) return std::nullopt;
    return FileFilter{std::string(s.substr(0, open)), std::string(pattern)};
}

std::optional<std::uint32_t> ParseColourValue(std::string_view value) {
    // Up to eight digits: a value the Windows build stored with a flag byte
    // above the colour (a system colour) reads, and stays as it was on OK.
    if (value.empty() || value.size() > 8) return std::nullopt;
    std::uint32_t bgr = 0;
    for (char c : value) {
        if (!IsHexDigit(c)) return std::nullopt;
        const std::uint32_t digit = IsDigit(c) ? static_cast<std::uint32_t>(c - '0')
                                               : static_cast<std::uint32_t>((c | 0x20) - 'a' + 10);
        bgr = bgr * 16 + digit;
    }
    return bgr;
}

std::string ColourValueText(std::uint32_t bgr) {
    char text[12];
    std::snprintf(text, sizeof text, "%06X", static_cast<unsigned>(bgr));
    return text;
}

}  // namespace drwa::dialogs
