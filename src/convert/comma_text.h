// Comma text: the field syntax of status lines and post templates.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::convert {

// Fields are separated by a comma or by a run of blanks and control
// characters; leading blanks are skipped; a field that starts with a double
// quote runs to the closing quote, may hold commas and blanks, and reads a
// doubled quote as one; two commas in a row give an empty field; a comma at
// the very end adds none.
std::vector<std::string> SplitCommaText(std::string_view text);

// `text` in double quotes, every double quote inside doubled.
std::string Quoted(std::string_view text);

}  // namespace drwa::convert
