#include "convert/mail_formats.h"
#include "config/text_helpers.h"

#include <cstdio>

#include "config/ini_file.h"
#include "platform/digest.h"

namespace drwa::convert {
namespace {

// Shields "$$X" and "$$Y" behind control characters while the fields are
// replaced; whatever of those characters the values bring comes out as the
// shields, so the text never holds them.
std::string Expand(std::string_view format, char x, std::string_view x_value, char y,
                   std::string_view y_value) {
    const std::string shield_x = std::string("$$") + x, shield_y = std::string("$$") + y;
    std::string s(format);
    config::ReplaceAll(s, shield_x, "\t");
    config::ReplaceAll(s, shield_y, "\r");
    config::ReplaceAll(s, std::string("$") + x, x_value);
    config::ReplaceAll(s, std::string("$") + y, y_value);
    config::ReplaceAll(s, "\t", shield_x);
    config::ReplaceAll(s, "\r", shield_y);
    return s;
}

}  // namespace

std::optional<std::int32_t> ArticleNumber(std::string_view number) {
    return config::ParseIniInteger(number);
}

std::string FormatSubject(std::string_view format, std::string_view title, std::string_view number,
                          std::int32_t digits) {
    std::string n(number);
    if (auto value = ArticleNumber(number)) {
        // The digit count is taken as 16 bits, as the stored setting always was.
        const int width = static_cast<std::uint16_t>(digits);
        n.assign(static_cast<std::size_t>(std::snprintf(nullptr, 0, "%.*d", width, *value)), '\0');
        std::snprintf(n.data(), n.size() + 1, "%.*d", width, *value);
    }
    // The title goes in first, so a "$N" in it is replaced by the number.
    return Expand(format, 'S', title, 'N', n);
}

std::string FormatBbsTitle(std::string_view format, std::string_view group_name,
                           std::string_view board_title) {
    return Expand(format, 'G', group_name, 'T', board_title);
}

std::string HashKey(std::string_view text) {
    return platform::Md5UpperHex(text);
}

std::string NumberKey(std::string_view number) {
    if (auto value = ArticleNumber(number)) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%.10d", *value);
        return buf;
    }
    return HashKey(number);
}

std::string NumberText(std::string_view number) {
    if (number == "*") return {};
    if (auto value = ArticleNumber(number)) return std::to_string(*value);
    return std::string(number);
}

}  // namespace drwa::convert
