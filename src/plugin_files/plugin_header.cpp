#include "plugin_files/plugin_header.h"

#include <string_view>

#include "config/text_helpers.h"
#include "text/sjis_bytes.h"

namespace drwa::plugin_files {
namespace {

using config::FindSjis;
using config::TrimText;
using config::UpperCaseSjis;

constexpr std::size_t npos = std::string_view::npos;

// The trimmed text of `line` after the first `word` of its upper-case copy.
std::string_view TextAfter(std::string_view line, std::string_view upper, std::string_view word) {
    const std::size_t at = FindSjis(upper, word);
    return TrimText(line.substr(at + word.size()));
}

// A version ends before the first character of the full-width symbol row
// (lead byte 0x81, the ideographic space among them), else before the first
// ASCII blank.
std::string_view CutVersion(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += text::SjisCharLength(text, i))
        if (static_cast<unsigned char>(text[i]) == 0x81) return text.substr(0, i);
    const std::size_t blank = text.find(' ');
    return blank == npos ? text : text.substr(0, blank);
}

}  // namespace

PluginHeader ParsePluginHeader(const std::vector<std::string>& lines) {
    std::optional<std::size_t> version_line, author_line, target_line;
    std::vector<std::string> upper(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string_view trimmed = TrimText(lines[i]);
        if (trimmed.empty()) continue;
        if (trimmed.front() != '#') break;
        upper[i] = UpperCaseSjis(lines[i]);
        if (!version_line && FindSjis(upper[i], "VER") != npos) version_line = i;
        if (!author_line && FindSjis(upper[i], "BY") != npos) author_line = i;
        if (!target_line && FindSjis(upper[i], "FOR") != npos) target_line = i;
    }

    PluginHeader header;
    if (version_line) {
        const std::string& u = upper[*version_line];
        const std::string_view word = FindSjis(u, "VERSION") != npos ? "VERSION" : "VER";
        header.version = CutVersion(TextAfter(lines[*version_line], u, word));
    }
    if (target_line) {
        std::string_view target = TextAfter(lines[*target_line], upper[*target_line], "FOR");
        if (target_line == version_line) {
            const std::size_t ver = FindSjis(UpperCaseSjis(target), "VER");
            if (ver != npos) target = TrimText(target.substr(0, ver));
        }
        header.target = target;
    }
    if (author_line) header.author = TextAfter(lines[*author_line], upper[*author_line], "BY");
    return header;
}

std::optional<DialogEntries> ExtractDialogBlock(const std::vector<std::string>& lines) {
    std::size_t i = 0;
    while (i < lines.size() && UpperCaseSjis(TrimText(lines[i])) != "#[DIALOG]") ++i;
    if (i == lines.size()) return std::nullopt;

    std::string joined;
    for (++i; i < lines.size(); ++i) {
        std::string_view line = TrimText(lines[i]);
        if (UpperCaseSjis(line) == "#[/DIALOG]") break;
        if (!line.empty() && line.front() == '#') line.remove_prefix(1);
        joined.append(line);
        joined += '\n';
    }
    // A written "\n" breaks the line; a "\" that is the trail byte of a
    // double-byte character (as in 表) is no escape.
    std::string text;
    for (std::size_t k = 0; k < joined.size(); k += text::SjisCharLength(joined, k)) {
        const bool escape = joined[k] == '\\' && k + 1 < joined.size() &&
                            (joined[k + 1] == 'n' || joined[k + 1] == 'N');
        if (escape) {
            text += '\n';
            ++k;
        } else {
            text.append(joined, k, text::SjisCharLength(joined, k));
        }
    }

    DialogEntries entries;
    for (const std::string& line : config::SplitLines(text)) {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        const std::string_view name = TrimText(std::string_view(line).substr(0, eq));
        if (name.empty()) continue;
        entries.emplace_back(name, line.substr(eq + 1));
    }
    return entries;
}

}  // namespace drwa::plugin_files
