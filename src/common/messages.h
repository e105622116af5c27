// Fixed message texts that several files share (CP932 once compiled).
#pragma once

namespace drwa::messages {

// A settings or data file that the system refused to write; "%s" is its path.
inline constexpr const char* kCannotWrite = "%s に書き込めません";

}  // namespace drwa::messages
