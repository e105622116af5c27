// The exports that open the settings dialogs. They need the views of the
// platform's widget toolkit, so they live apart from the exports that only
// read and write settings.
#include <string>

#include "common/error.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"
#include "plugin/group_arguments.h"
#include "plugin/screen_views.h"

using namespace drwa;

extern "C" {

int32_t DRWA_CALL EditAccount(DrwaWindow window, const char* account_path) {
    return plugin::RunExport(1, [&] {
        if (!account_path) throw Error("アカウントの設定ファイルが指定されていません");
        plugin::EditAccountOnScreen(account_path, window);
        return 0;
    });
}

int32_t DRWA_CALL EditGroupProperty(DrwaWindow window, const char* account_path,
                                    const int32_t* groups, int32_t count) {
    return plugin::RunExport(1, [&] {
        const std::string path = plugin::Account(account_path).path();
        const auto list = plugin::GroupList(groups, count);
        plugin::EditGroupPropertyOnScreen(path, {list.begin(), list.end()}, window);
        return 0;
    });
}

}  // extern "C"
