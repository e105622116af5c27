// The settings dialogs of the Windows DLL, for its exports. No Windows header
// here: the exports need only the call.
#pragma once

#include <string_view>

namespace drwa::dialogs::win32 {

// Shows the account dialog modally, owned by `owner` (the host's window; null:
// none) and centred on it, writes section PLUGIN after OK and rebuilds the
// group list after OK and Cancel alike. Fails with drwa::Error when no screen
// is at hand, before anything is written.
void EditAccountOnScreen(std::string_view account_path, void* owner);

}  // namespace drwa::dialogs::win32
