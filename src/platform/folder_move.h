// Renaming a folder inside one file system.
#pragma once

#include <string_view>

namespace drwa::platform {

// Renames `from` to `to`, never replacing anything that already exists at
// `to` (an empty folder included). Throws drwa::Error with the reason.
void MoveFolder(std::string_view from, std::string_view to);

}  // namespace drwa::platform
