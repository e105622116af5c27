// Handing a URL, a folder or a file to the desktop's default handler.
#pragma once

#include <string_view>

namespace drwa::platform {

// Starts the desktop's opener ("xdg-open", found on PATH) for `target` (CP932)
// and returns at once. The opener runs detached: in a session of its own, with
// default signal handling, its input and output on /dev/null so that nothing
// of it mixes into ours, and never left as a zombie of ours. False when it
// could not be started; what it does with the target is not known here.
bool OpenWithDefaultHandler(std::string_view target);

}  // namespace drwa::platform
