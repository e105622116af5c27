#include "platform/command_line.h"

#include "text/sjis_bytes.h"

namespace drwa::platform {
namespace {
constexpr bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view s) {
    std::vector<std::string> args;
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i == s.size()) return args;

    std::string program;
    if (s[i] == '"') {
        std::size_t end = s.find('"', i + 1);
        program = std::string(s.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
        i = end == std::string_view::npos ? s.size() : end + 1;
    } else {
        while (i < s.size() && !IsBlank(s[i])) program += s[i++];
    }
    args.push_back(std::move(program));

    for (;;) {
        while (i < s.size() && IsBlank(s[i])) ++i;
        if (i >= s.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < s.size() && (quoted || !IsBlank(s[i]))) {
            if (text::SjisCharLength(s, i) == 2) {
                // The trail byte may be 0x5C: it is no backslash here.
                arg.append(s.substr(i, 2));
                i += 2;
            } else if (s[i] == '\\') {
                std::size_t n = 0;
                while (i < s.size() && s[i] == '\\') ++n, ++i;
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2 == 1) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
            } else if (s[i] == '"') {
                if (quoted && i + 1 < s.size() && s[i + 1] == '"') {
                    arg += '"';  // a doubled quote inside quotes
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

}  // namespace drwa::platform
