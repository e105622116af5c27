#include "config/text_helpers.h"

#include "common/error.h"
#include "common/messages.h"
#include "platform/files.h"
#include "platform/system.h"
#include "text/sjis_bytes.h"

namespace drwa::config {

std::vector<std::string> SplitFields(std::string_view text, int n, bool escape) {
    std::vector<std::string> fields;
    std::string rest(text);
    for (int i = 1; i < n; ++i) {
        std::string probe = rest;
        if (escape) {
            // Searching a copy where "$," reads "$$" keeps the field's own text.
            for (std::size_t at = probe.find("$,"); at != std::string::npos;
                 at = probe.find("$,", at + 2)) {
                probe[at + 1] = '$';
            }
        }
        std::size_t comma = probe.find(',');
        if (comma == std::string::npos) {
            fields.push_back(std::move(rest));
            rest.clear();
        } else {
            fields.push_back(rest.substr(0, comma));
            rest.erase(0, comma + 1);
        }
    }
    fields.push_back(std::move(rest));
    return fields;
}

void ReplaceAll(std::string& s, std::string_view from, std::string_view to) {
    if (from.empty()) return;
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLinesCrLf(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

namespace {

void WriteWholeOrFail(std::string_view path, std::string_view bytes) {
    try {
        platform::WriteFileAtomic(path, bytes);
    } catch (const Error&) {
        throw Error(FormatMessage(messages::kCannotWrite, std::string(path)));
    }
}

}  // namespace

void SaveLinesLf(const std::vector<std::string>& lines, std::string_view path) {
    std::string out = JoinLinesCrLf(lines);
    // Lines that themselves hold CR LF end up with LF alone, like the rest.
    std::string lf;
    lf.reserve(out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n') continue;
        lf += out[i];
    }
    WriteWholeOrFail(path, lf);
}

void SaveLinesCrLf(const std::vector<std::string>& lines, std::string_view path) {
    WriteWholeOrFail(path, JoinLinesCrLf(lines));
}

std::string NewGuidString() {
    return platform::NewGuid();
}

std::string_view TrimText(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return text;
}

std::string UpperCaseSjis(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); i += text::SjisCharLength(out, i))
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<char>(out[i] - 'a' + 'A');
    return out;
}

std::size_t FindSjis(std::string_view text, std::string_view needle, std::size_t from) {
    for (std::size_t i = 0; i < text.size(); i += text::SjisCharLength(text, i))
        if (i >= from && text.substr(i, needle.size()) == needle) return i;
    return std::string_view::npos;
}

}  // namespace drwa::config
