// Removing a folder with everything in it: to the user's trash, where it can be
// restored, or for good.
#pragma once

#include <string_view>

namespace drwa::platform {

// Moves the folder (or file) to the freedesktop trash of its file system.
// Nothing is removed for good when the trash cannot take it: the failure is
// reported instead, so a deletion meant to be undoable never loses data.
// Throws drwa::Error "システム エラー。コード : N." LF + the system's text.
void MoveToTrash(std::string_view path);

// Removes the folder and its whole content for good; a symbolic link is
// removed itself, never what it points to. Throws drwa::Error as above; what
// was removed before the failure stays removed.
void DeleteForGood(std::string_view path);

}  // namespace drwa::platform
