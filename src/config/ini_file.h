// Settings files with the rules of the Windows private-profile functions, so
// that the files stay interchangeable with the Windows build and with the
// article plugins that read and write them:
//  - section and key names match without regard to case (ASCII letters only;
//    the bytes of double-byte characters are compared as they are);
//  - a missing file, section or key reads as the caller's default;
//  - a value is read without the blanks around it and without one pair of
//    enclosing quotes, and at most 2047 bytes of it;
//  - every write reaches the disk before it returns, replacing the file whole,
//    and keeps every other line, comments included, in its place.
// The file is read again whenever it changed on disk since it was last read, so
// that a plugin's own writes between two calls are seen and never overwritten.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace drwa::config {

class IniFile {
  public:
    // `path` is CP932. Nothing is read until the first operation.
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    std::string ReadString(std::string_view section, std::string_view key,
                           std::string_view default_value) const;
    // Decimal, or hexadecimal after "$" or "0x"; anything else is the default.
    std::int32_t ReadInteger(std::string_view section, std::string_view key,
                             std::int32_t default_value) const;
    // An integer: 0 is false, any other number true.
    bool ReadBool(std::string_view section, std::string_view key, bool default_value) const;

    bool SectionExists(std::string_view section) const;
    bool ValueExists(std::string_view section, std::string_view key) const;
    // Key names of a section, in file order.
    std::vector<std::string> ReadSection(std::string_view section) const;
    // Section names, in file order.
    std::vector<std::string> ReadSections() const;

    // Each write fails with "<path> に書き込めません" when the file cannot be
    // written; the file on disk is then as it was.
    void WriteString(std::string_view section, std::string_view key, std::string_view value);
    void WriteInteger(std::string_view section, std::string_view key, std::int32_t value);
    void WriteBool(std::string_view section, std::string_view key, bool value);
    void DeleteKey(std::string_view section, std::string_view key);
    void EraseSection(std::string_view section);

  private:
    struct Line {
        std::string text;
        enum class Kind { kOther, kSection, kKey } kind = Kind::kOther;
        std::string name;          // section or key name, blanks removed
        std::size_t value_at = 0;  // kKey: where the value starts in text
    };
    struct Span {
        std::size_t header;  // index of the section line
        std::size_t end;     // one past its last line
    };

    void Refresh(bool force) const;
    void Persist();
    std::optional<Span> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKey(const Span& span, std::string_view key) const;
    static Line ParseLine(std::string text);

    std::string path_;
    mutable std::vector<Line> lines_;
    mutable std::optional<platform::FileStamp> stamp_;
    mutable bool loaded_ = false;
    mutable std::string eol_ = "\r\n";
};

// Text and number helpers that other readers of settings-like text share.
bool SameTextNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view s, std::string_view prefix);
// Orders texts as SameTextNoCase compares them: <0, 0 or >0.
int CompareTextNoCase(std::string_view a, std::string_view b);
std::optional<std::int32_t> ParseIniInteger(std::string_view text);

}  // namespace drwa::config
