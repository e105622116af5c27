// Small text helpers shared across the subsystems.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::config {

// Exactly n fields (one when n < 1) split at commas; the last field keeps any
// further commas, and missing fields are empty. With `escape`, "$," is a comma
// inside a field: it never splits and stays in the field as "$,".
std::vector<std::string> SplitFields(std::string_view text, int n, bool escape);

// The lines of a text: CR LF, LF and CR alone each end a line; a last line
// without an end is a line too; an empty text has none.
std::vector<std::string> SplitLines(std::string_view text);

// The lines, each followed by CR LF.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

// Every `from` in `s` replaced by `to`, left to right; replaced text is not
// searched again.
void ReplaceAll(std::string& s, std::string_view from, std::string_view to);

// Writes the lines, each ended by LF, replacing the file whole or not at all.
// Fails with "<path> に書き込めません".
void SaveLinesLf(const std::vector<std::string>& lines, std::string_view path);
// The same with CR LF after each line.
void SaveLinesCrLf(const std::vector<std::string>& lines, std::string_view path);

// A new group identity: 36 upper-case characters, or empty when none can be
// made.
std::string NewGuidString();

// The text without the control characters and blanks (bytes up to 0x20) at
// both ends, as the settings dialogs trim what the user typed.
std::string_view TrimText(std::string_view text);

// ASCII letters in upper case; the bytes of double-byte characters (whose
// trail bytes may look like letters) are kept as they are.
std::string UpperCaseSjis(std::string_view text);

// Where `needle` (ASCII) first starts at a character boundary of the CP932
// text at or after `from`, or npos: a trail byte never begins a match.
std::size_t FindSjis(std::string_view text, std::string_view needle, std::size_t from = 0);

}  // namespace drwa::config
