#include "config/ini_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>

#include "common/error.h"
#include "common/limits.h"
#include "common/messages.h"
#include "text/sjis_bytes.h"

namespace drwa::config {
namespace {

constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

constexpr char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

// A value must stay on its line: a line break in it would turn the rest into
// a line of its own, possibly another key.
std::string_view OneLine(std::string_view value) {
    return value.substr(0, value.find_first_of("\r\n"));
}

}  // namespace

int CompareTextNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    bool trail = false;  // a trail byte may be an ASCII letter: compared exactly
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(trail ? a[i] : Lower(a[i]));
        const auto y = static_cast<unsigned char>(trail ? b[i] : Lower(b[i]));
        if (x != y) return x < y ? -1 : 1;
        trail = !trail && text::IsSjisLeadByte(static_cast<unsigned char>(a[i]));
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameTextNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareTextNoCase(a, b) == 0;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameTextNoCase(s.substr(0, prefix.size()), prefix);
}

std::optional<std::int32_t> ParseIniInteger(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (!s.empty() && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    if (s.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : s) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    if (base == 16) {
        // Hexadecimal spells the 32 bits themselves: $FFFFFFFF is -1.
        auto bits = static_cast<std::uint32_t>(value);
        if (negative) bits = 0u - bits;
        return static_cast<std::int32_t>(bits);
    }
    if (negative) {
        if (value > 2147483648ull) return std::nullopt;
        return static_cast<std::int32_t>(-static_cast<std::int64_t>(value));
    }
    if (value > static_cast<std::uint64_t>(INT32_MAX)) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

IniFile::Line IniFile::ParseLine(std::string text) {
    Line line;
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '[') {
        t.remove_prefix(1);
        line.kind = Line::Kind::kSection;
        line.name = std::string(Trim(t.substr(0, t.find(']'))));
    } else if (!t.empty() && t.front() != ';') {
        std::size_t eq = text.find('=');
        if (eq != std::string::npos) {
            line.kind = Line::Kind::kKey;
            line.name = std::string(Trim(std::string_view(text).substr(0, eq)));
            line.value_at = eq + 1;
        }
    }
    line.text = std::move(text);
    return line;
}

void IniFile::Refresh(bool force) const {
    auto stamp = platform::StampOf(path_);
    if (loaded_ && !force && stamp == stamp_) return;
    lines_.clear();
    eol_ = "\r\n";
    stamp_ = stamp;
    loaded_ = true;
    auto bytes = stamp ? platform::ReadFile(path_) : std::nullopt;
    if (!bytes) return;
    std::string_view rest = *bytes;
    if (auto lf = rest.find('\n');
        lf != std::string_view::npos && (lf == 0 || rest[lf - 1] != '\r'))
        eol_ = "\n";  // keep a file that plugins wrote with bare LF that way
    while (!rest.empty()) {
        std::size_t end = rest.find_first_of("\r\n");
        std::string_view text = rest.substr(0, end);
        lines_.push_back(ParseLine(std::string(text)));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end);
        if (rest.size() >= 2 && rest[0] == '\r' && rest[1] == '\n')
            rest.remove_prefix(2);
        else
            rest.remove_prefix(1);
    }
}

void IniFile::Persist() {
    std::string out;
    for (const Line& line : lines_) {
        out += line.text;
        out += eol_;
    }
    try {
        if (platform::IsReadOnlyFile(path_)) throw Error(path_);
        platform::WriteFileAtomic(path_, out);
    } catch (const Error&) {
        loaded_ = false;  // the next operation reads what the disk really holds
        throw Error(FormatMessage(messages::kCannotWrite, path_));
    }
    stamp_ = platform::StampOf(path_);
}

std::optional<IniFile::Span> IniFile::FindSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Line::Kind::kSection || !SameTextNoCase(lines_[i].name, section))
            continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && lines_[end].kind != Line::Kind::kSection) ++end;
        return Span{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const Span& span, std::string_view key) const {
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        if (lines_[i].kind == Line::Kind::kKey && SameTextNoCase(lines_[i].name, key)) return i;
    }
    return std::nullopt;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view default_value) const {
    Refresh(false);
    std::string_view value = default_value;
    auto span = FindSection(section);
    auto at = span ? FindKey(*span, key) : std::nullopt;
    if (at) {
        const Line& line = lines_[*at];
        value = Trim(std::string_view(line.text).substr(line.value_at));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
    }
    return std::string(value.substr(0, text::SjisSafeCut(value, limits::kIniValue)));
}

std::int32_t IniFile::ReadInteger(std::string_view section, std::string_view key,
                                  std::int32_t default_value) const {
    if (!ValueExists(section, key)) return default_value;
    return ParseIniInteger(ReadString(section, key, "")).value_or(default_value);
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) const {
    return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

bool IniFile::SectionExists(std::string_view section) const {
    Refresh(false);
    return FindSection(section).has_value();
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) const {
    Refresh(false);
    auto span = FindSection(section);
    return span && FindKey(*span, key);
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) const {
    Refresh(false);
    std::vector<std::string> keys;
    if (auto span = FindSection(section)) {
        for (std::size_t i = span->header + 1; i < span->end; ++i) {
            if (lines_[i].kind == Line::Kind::kKey) keys.push_back(lines_[i].name);
        }
    }
    return keys;
}

std::vector<std::string> IniFile::ReadSections() const {
    Refresh(false);
    std::vector<std::string> names;
    for (const Line& line : lines_) {
        if (line.kind == Line::Kind::kSection) names.push_back(line.name);
    }
    return names;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    Refresh(true);  // never write over what another program changed meanwhile
    const auto saved = lines_;
    std::string text = std::string(key) + "=" + std::string(OneLine(value));
    auto span = FindSection(section);
    if (!span) {
        lines_.push_back(ParseLine("[" + std::string(section) + "]"));
        lines_.push_back(ParseLine(std::move(text)));
    } else if (auto at = FindKey(*span, key)) {
        // Keep the key as the file spells it.
        lines_[*at] = ParseLine(lines_[*at].name + "=" + std::string(OneLine(value)));
    } else {
        // After the section's last non-blank line, so that blank lines that
        // separate it from the next section stay where they are.
        std::size_t pos = span->end;
        while (pos > span->header + 1 && Trim(lines_[pos - 1].text).empty()) --pos;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos),
                      ParseLine(std::move(text)));
    }
    try {
        Persist();
    } catch (...) {
        lines_ = saved;
        throw;
    }
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, std::int32_t value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

void IniFile::DeleteKey(std::string_view section, std::string_view key) {
    Refresh(true);
    auto span = FindSection(section);
    auto at = span ? FindKey(*span, key) : std::nullopt;
    if (!at) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*at));
    Persist();
}

void IniFile::EraseSection(std::string_view section) {
    Refresh(true);
    auto span = FindSection(section);
    if (!span) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->end));
    Persist();
}

}  // namespace drwa::config
