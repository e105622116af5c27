// How a typed answer to a question reads, the same on every terminal, and
// the pieces of a terminal question each platform provides.
#pragma once

#include <string>
#include <string_view>

namespace drwa::platform {

// "y" or "yes" in any case, blanks and a CR around it allowed, is yes;
// anything else is the safe answer.
inline bool IsYesAnswer(std::string_view answer) {
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' '))
        answer.remove_suffix(1);
    while (!answer.empty() && answer.front() == ' ') answer.remove_prefix(1);
    std::string lower(answer);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower == "y" || lower == "yes";
}

// The platform's side of a question on a terminal (question.cpp of each).
// One answer line from `fd`, byte by byte, so nothing after it is taken.
std::string ReadAnswerLine(int fd);
// `cp932` shown on `fd`; a closed output is ignored, the answer decides alone.
void WriteText(int fd, std::string_view cp932);
// True when `fd` echoes what the user types, its line break included.
bool InputEchoes(int fd);

}  // namespace drwa::platform
