// The expanders of the subject and board-title formats, and the keys that
// identify articles in Message-Ids.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace drwa::convert {

// `format` with "$S" replaced by the title and "$N" by the number (an integer
// number zero-padded to at least `digits` digits). "$$S" and "$$N" pass
// through unchanged and shield what follows their first "$".
std::string FormatSubject(std::string_view format, std::string_view title, std::string_view number,
                          std::int32_t digits);

// `format` with "$G" replaced by the group name, then "$T" by the board title;
// "$$G" and "$$T" shield as above.
std::string FormatBbsTitle(std::string_view format, std::string_view group_name,
                           std::string_view board_title);

// MD5 of the bytes, 32 upper-case hexadecimal digits.
std::string HashKey(std::string_view text);

// The number of an article as an integer, when its text reads as one
// (decimal, or hexadecimal after "$" or "0x").
std::optional<std::int32_t> ArticleNumber(std::string_view number);

// The key of an article or parent number: ten digits or more for an integer,
// the hash of the text otherwise. "*" is handled by the caller.
std::string NumberKey(std::string_view number);

// The article number as mails show it: an integer without leading zeros,
// other text as it is, empty for "*".
std::string NumberText(std::string_view number);

}  // namespace drwa::convert
