// How a typed answer to a question reads, the same on every terminal.
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

}  // namespace drwa::platform
