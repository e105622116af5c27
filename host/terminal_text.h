// The library speaks CP932; the terminal and the command line speak UTF-8.
#pragma once

#include <string>

namespace drwa_host {

// Bytes that do not convert are shown as "?" rather than lost silently.
std::string ToUtf8(const std::string& cp932);
// Throws std::runtime_error when the text has no CP932 form.
std::string ToCp932(const std::string& utf8);

}  // namespace drwa_host
