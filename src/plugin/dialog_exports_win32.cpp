// The exports that open the settings dialogs in the Windows DLL, over the
// library's own Win32 views: each dialog is owned by the host's window for
// the time of the call.
#include <string>

#include "common/error.h"
#include "dialogs/win32/dialog_entry.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"
#include "plugin/group_arguments.h"

using namespace drwa;

extern "C" {

int32_t DRWA_CALL EditAccount(DrwaWindow window, const char* account_path) {
    return plugin::RunExport(1, [&] {
        if (!account_path) throw Error("アカウントの設定ファイルが指定されていません");
        dialogs::win32::EditAccountOnScreen(account_path, window);
        return 0;
    });
}

int32_t DRWA_CALL EditGroupProperty(DrwaWindow window, const char* account_path,
                                    const int32_t* groups, int32_t count) {
    return plugin::RunExport(1, [&] {
        const std::string path = plugin::Account(account_path).path();
        const auto list = plugin::GroupList(groups, count);
        dialogs::win32::EditGroupPropertyOnScreen(path, {list.begin(), list.end()}, window);
        return 0;
    });
}

}  // extern "C"
