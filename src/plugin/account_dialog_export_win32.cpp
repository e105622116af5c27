// The account dialog's export in the Windows DLL, over the library's own
// Win32 view: owned by the host's window for the time of the call.
#include "common/error.h"
#include "dialogs/win32/dialog_entry.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"

using namespace drwa;

extern "C" {

int32_t DRWA_CALL EditAccount(DrwaWindow window, const char* account_path) {
    return plugin::RunExport(1, [&] {
        if (!account_path) throw Error("アカウントの設定ファイルが指定されていません");
        dialogs::win32::EditAccountOnScreen(account_path, window);
        return 0;
    });
}

}  // extern "C"
