// The settings dialogs on the screen, for the module's table (module_entry.h).
// No Qt header here: the table is compiled to CP932, which Qt's headers are
// not.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace drwa::dialogs::qt {

// Shows the group dialog for the listed groups (a new group when none),
// applies the rename it asked for and rebuilds the group list. Fails with
// drwa::Error when no screen is at hand.
void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups);

// Shows the account dialog, writes section PLUGIN after OK and rebuilds the
// group list after OK and Cancel alike. Fails with drwa::Error when no screen
// is at hand.
void EditAccountOnScreen(std::string_view account_path);

}  // namespace drwa::dialogs::qt
