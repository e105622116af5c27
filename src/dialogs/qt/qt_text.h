// The library's CP932 text and Qt's strings, converted where they meet.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace drwa::dialogs::qt {

// Bytes that do not read as CP932 (a damaged settings file) each show as
// U+FFFD, so the rest of the text stays readable.
QString ToQString(std::string_view cp932);

// Nothing when a character has no CP932 form.
std::optional<std::string> TryToCp932(const QString& text);
// Fails with drwa::Error naming the first character that has no CP932 form:
// typed text is refused rather than stored with a character lost.
std::string ToCp932(const QString& text);

}  // namespace drwa::dialogs::qt
