// A group's name made from a board's own title, for a group set up without
// the user typing one.
#pragma once

#include <string>
#include <string_view>

namespace drwa::dialogs {

// `title` (CP932) as a name the group dialog's name check accepts: blanks,
// path separators and the characters Windows refuses in a folder name become
// "_" (runs of them one), leading and trailing "_" and "." go, and a long
// title is cut at a character's end. Empty when nothing usable is left.
std::string GroupNameFromTitle(std::string_view title);

// A title is cut to this many bytes: a folder name, not a headline.
inline constexpr std::size_t kTitleNameBytes = 64;

}  // namespace drwa::dialogs
