#include "convert/comma_text.h"

namespace drwa::convert {
namespace {
constexpr bool IsSeparatorByte(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}
}  // namespace

std::vector<std::string> SplitCommaText(std::string_view s) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (i < s.size() && IsSeparatorByte(s[i])) ++i;
    while (i < s.size()) {
        std::string field;
        if (s[i] == '"') {
            ++i;
            while (i < s.size()) {
                if (s[i] == '"') {
                    if (i + 1 < s.size() && s[i + 1] == '"') {
                        field += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += s[i++];
            }
            // Text after the closing quote up to the next separator is dropped,
            // as the field already ended.
            while (i < s.size() && s[i] != ',' && !IsSeparatorByte(s[i])) ++i;
        } else {
            const std::size_t start = i;
            while (i < s.size() && s[i] != ',' && !IsSeparatorByte(s[i])) ++i;
            field.assign(s.substr(start, i - start));
        }
        fields.push_back(std::move(field));
        // One separator: a comma, or a run of blanks optionally followed by a
        // comma; then blanks before the next field.
        while (i < s.size() && IsSeparatorByte(s[i])) ++i;
        if (i < s.size() && s[i] == ',') {
            ++i;
            while (i < s.size() && IsSeparatorByte(s[i])) ++i;
        }
    }
    return fields;
}

std::string Quoted(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t at = 0;;) {
        const std::size_t quote = text.find('"', at);
        if (quote == std::string_view::npos) {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, quote + 1 - at));
        out += '"';
        at = quote + 1;
    }
    out += '"';
    return out;
}

}  // namespace drwa::convert
