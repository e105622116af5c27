// The Windows DLL's screen: the library's own Win32 views and message boxes,
// each owned by the host's window for the time of the call.
#include <utility>

#include "dialogs/win32/dialog_entry.h"
#include "plugin/screen_views.h"

namespace drwa::plugin {

void EditAccountOnScreen(std::string_view account_path, DrwaWindow owner) {
    dialogs::win32::EditAccountOnScreen(account_path, owner);
}

void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups,
                               DrwaWindow owner) {
    dialogs::win32::EditGroupPropertyOnScreen(account_path, std::move(groups), owner);
}

std::unique_ptr<platform::QuestionService> MessageBoxes(DrwaWindow owner) {
    return platform::WindowQuestions(owner);
}

}  // namespace drwa::plugin
