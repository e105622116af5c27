#include "text/header_words.h"

#include <algorithm>

#include "text/base64.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/sjis_bytes.h"

namespace drwa::text {
namespace {

constexpr std::string_view kWordStart = "=?ISO-2022-JP?B?";
constexpr std::string_view kWordEnd = "?=";
constexpr std::string_view kToRoman = "\x1B(J";
constexpr std::string_view kToAscii = "\x1B(B";

bool IsJapaneseStart(unsigned char c) {
    return IsSjisLeadByte(c) || IsHalfWidthKatakana(c);
}

constexpr char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// End of the run of Japanese characters starting at `i`. A double-byte
// character is taken whole, so a trail byte that looks like ASCII ("\",
// letters) never splits the run.
std::size_t JapaneseRunEnd(std::string_view line, std::size_t i) {
    while (i < line.size() && IsJapaneseStart(static_cast<unsigned char>(line[i]))) {
        i += IsHalfWidthKatakana(static_cast<unsigned char>(line[i])) ? 1 : SjisCharLength(line, i);
    }
    return i;
}

std::size_t BlanksEnd(std::string_view line, std::size_t i) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    return i;
}

// Position of the word marker at or after `from`, letters in any case.
std::size_t FindWordStart(std::string_view line, std::size_t from) {
    while (from < line.size()) {
        const std::size_t at = line.find('=', from);
        if (at == std::string_view::npos || line.size() - at < kWordStart.size()) break;
        const bool same = std::equal(kWordStart.begin(), kWordStart.end(), line.begin() + at,
                                     [](char want, char got) { return want == AsciiUpper(got); });
        if (same) return at;
        from = at + 1;
    }
    return std::string_view::npos;
}

}  // namespace

std::string EncodeHeaderLine(std::string_view line) {
    std::string out;
    out.reserve(line.size() * 2);
    std::size_t i = 0;
    while (i < line.size()) {
        std::size_t end = i;
        while (end < line.size() && !IsJapaneseStart(static_cast<unsigned char>(line[end]))) ++end;
        out.append(line.substr(i, end - i));
        i = end;
        if (i == line.size()) break;
        end = JapaneseRunEnd(line, i);
        // Blanks between two runs go inside one word: mail readers drop the
        // white space between adjacent encoded words (RFC 2047), so two words
        // would lose the blank that separated the runs.
        for (std::size_t next = BlanksEnd(line, end);
             next > end && next < line.size() &&
             IsJapaneseStart(static_cast<unsigned char>(line[next]));
             next = BlanksEnd(line, end)) {
            end = JapaneseRunEnd(line, next);
        }
        out.append(kWordStart);
        out.append(EncodeBase64(ShiftJisToIso2022Jp(line.substr(i, end - i))));
        out.append(kWordEnd);
        i = end;
    }
    return out;
}

std::string DecodeHeaderLine(std::string_view line) {
    std::string out;
    out.reserve(line.size());
    std::size_t i = 0;
    // The search goes on after each replacement, never inside the decoded
    // bytes: decoded text that holds a marker of its own stays as it is, so a
    // crafted word cannot make the line decode again and again.
    for (std::size_t at; (at = FindWordStart(line, i)) != std::string_view::npos;) {
        out.append(line.substr(i, at - i));
        const std::size_t text_start = at + kWordStart.size();
        const std::size_t text_end = line.find(kWordEnd, text_start);
        if (text_end == std::string_view::npos) {
            // An unclosed word loses only its marker.
            i = text_start;
            continue;
        }
        std::string bytes = DecodeBase64(line.substr(text_start, text_end - text_start));
        const std::string_view tail =
            std::string_view(bytes).substr(bytes.size() - std::min<std::size_t>(bytes.size(), 3));
        if (tail != kToRoman && tail != kToAscii) bytes.append(kToRoman);
        out.append(bytes);
        i = text_end + kWordEnd.size();
    }
    out.append(line.substr(i));
    return out;
}

}  // namespace drwa::text
