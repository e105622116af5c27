// The one failure type of the library. Its message is CP932 text meant for the
// user; it travels up to the export boundary, a receive worker or a send loop.
#pragma once

#include <stdexcept>
#include <string>

namespace drwa {

class Error : public std::runtime_error {
public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}
};

// "%s" in `pattern` replaced by `arg` (first occurrence), as the system's
// formatted messages do.
inline std::string FormatMessage(const std::string& pattern, const std::string& arg) {
    std::string out = pattern;
    if (auto at = out.find("%s"); at != std::string::npos) out.replace(at, 2, arg);
    return out;
}

}  // namespace drwa
