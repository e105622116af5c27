// What the exports show on the screen: the settings dialogs and the message
// boxes of the platform's widget toolkit. One header over two builds: Qt's
// views, in a module opened on first use (screen_views_qt.cpp), and the
// library's own Win32 views (screen_views_win32.cpp).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "drwa_plugin.h"
#include "platform/question.h"

namespace drwa::plugin {

// The account dialog, owned by `owner` (the host's window; null: none). After
// OK it writes section PLUGIN; after OK and Cancel alike it rebuilds the group
// list. Fails with drwa::Error when no screen is at hand, before anything is
// written.
void EditAccountOnScreen(std::string_view account_path, DrwaWindow owner);

// The group properties dialog in the same way, for the host's group indexes
// `groups` (a new group when empty); the rename it asked for is done after OK.
void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups,
                               DrwaWindow owner);

// Message boxes owned by `owner`, for a user at the screen. Making them shows
// nothing and loads nothing: the first question does.
std::unique_ptr<platform::QuestionService> MessageBoxes(DrwaWindow owner);

}  // namespace drwa::plugin
