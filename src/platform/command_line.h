// Splitting a command line the way the Windows C runtime does, so that the
// command lines stored for and built by the library (quoted paths, doubled
// quotes inside quotes) mean the same program and arguments on every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::platform {

// The program name ends at the first blank, or, when it starts with a quote,
// at the next quote; it never treats "\" specially (Windows paths end in one).
// The arguments follow the runtime's rules: blanks separate; inside quotes
// blanks are kept and "" is one literal quote; 2n backslashes before a quote
// give n backslashes and the quote opens or closes, 2n+1 give n and a literal
// quote; other backslashes are literal.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace drwa::platform
