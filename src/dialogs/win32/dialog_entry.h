// The settings dialogs of the Windows DLL, for its exports. No Windows header
// here: the exports need only the call.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace drwa::dialogs::win32 {

// Shows the account dialog modally, owned by `owner` (the host's window; null:
// none) and centred on it, writes section PLUGIN after OK and rebuilds the
// group list after OK and Cancel alike. Fails with drwa::Error when no screen
// is at hand, before anything is written.
void EditAccountOnScreen(std::string_view account_path, void* owner);

// Shows the group properties dialog modally in the same way: a new group when
// `groups` (the host's indexes) is empty, else the groups listed. The rename
// asked for is done after OK, and the group list rebuilt after OK and Cancel.
void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups,
                               void* owner);

}  // namespace drwa::dialogs::win32
