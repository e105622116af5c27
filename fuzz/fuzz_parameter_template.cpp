// The parameter template expander on templates and settings that anybody can
// write (a mail's display name, a board file, a group's settings). Whatever
// the input, it ends: "$(" references that never finish stop at the limits,
// and the only failures are the two the expander names. Every pair is one line
// and its inserted text is encoded or comes from a setting.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>

#include "common/error.h"
#include "post/parameter_template.h"
#include "post/url_template.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Splits at the first NUL: the part before, and the rest after it.
std::string_view Take(std::string_view& input) {
    const auto end = input.find('\0');
    const std::string_view part = input.substr(0, end);
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return part;
}

}  // namespace

// The first byte picks the board's code; then, separated by NUL bytes, the
// template, the body (lines split at LF) and settings lines "KEY=value".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    using drwa::text::JapaneseCode;
    const JapaneseCode target = (data[0] & 1) ? JapaneseCode::kEucJp : JapaneseCode::kShiftJis;
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::string_view params = Take(input);

    drwa::post::TemplateValues values;
    values.name = "N a";
    values.subject = "S";
    values.date = {.year = 2024, .month = 1, .day = 2, .hour = 3, .minute = 4};
    std::string_view body = Take(input);
    while (!body.empty()) {
        const auto end = body.find('\n');
        values.body_lines.emplace_back(body.substr(0, end));
        body.remove_prefix(end == std::string_view::npos ? body.size() : end + 1);
    }
    // Settings values are single lines, as in a settings file.
    std::map<std::string, std::string, std::less<>> settings;
    while (!input.empty()) {
        std::string line(Take(input));
        for (char& c : line)
            if (c == '\r' || c == '\n') c = ' ';
        const auto eq = line.find('=');
        if (eq != std::string::npos) settings[line.substr(0, eq)] = line.substr(eq + 1);
    }
    auto lookup = [&](std::string_view key) {
        auto it = settings.find(key);
        return it == settings.end() ? std::string() : it->second;
    };

    try {
        const auto pairs = drwa::post::ExpandParameterTemplate(params, values, lookup, target);
        for (const std::string& pair : pairs)
            Check(pair.find_first_of("\r\n") == std::string::npos);
        const std::string body_text = drwa::post::FormBody(pairs);
        const std::string query = drwa::post::FormQuery(pairs);
        Check(pairs.empty() || query.back() == '&');
        Check(body_text.size() <= query.size());
        // The request target carries only what a URL can: no blank, "#",
        // control or 8-bit byte, and every "%" starts an escape.
        const std::string target = drwa::post::UrlSafe("http://b/?" + query);
        for (std::size_t i = 0; i < target.size(); ++i) {
            const auto c = static_cast<unsigned char>(target[i]);
            Check(c > 0x20 && c < 0x7F && c != '#');
            Check(c != '%' || (i + 2 < target.size() && std::isxdigit(target[i + 1]) &&
                               std::isxdigit(target[i + 2])));
        }
    } catch (const drwa::post::ParameterLoopError&) {
    } catch (const drwa::Error& e) {
        Check(std::string_view(e.what()) == "パラメター $( の対応する ) がありません");
    }
    for (char c : drwa::post::FormEncode(params))
        Check((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '+' || c == '%');
    return 0;
}
