// The exports that receive groups.
#include <vector>

#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"
#include "receive/receive_driver.h"

using namespace drwa;

extern "C" {

int32_t DRWA_CALL ReceiveOne(DrwaWindow /*window*/, const char* account_path, const int32_t* groups,
                             int32_t count, ProgressCallback callback) {
    return plugin::RunExport(1, [&] {
        std::vector<int32_t> indexes;
        if (groups && count > 0) indexes.assign(groups, groups + count);
        receive::ReceiveGroups(account_path ? account_path : "", indexes, callback);
        return 0;
    });
}

int32_t DRWA_CALL ReceiveAll(DrwaWindow window, const char* account_path,
                             ProgressCallback callback) {
    // Not inside the boundary: ReceiveOne clears and sets the error itself, and
    // a settings file that cannot be read simply lists no group.
    const int32_t count = config::IniFile(account_path ? account_path : "")
                              .ReadInteger(config::keys::kPlugin, config::keys::kGroupCount, 0);
    std::vector<int32_t> all;
    for (int32_t i = 0; i < count; ++i) all.push_back(i);
    return ReceiveOne(window, account_path, all.data(), static_cast<int32_t>(all.size()), callback);
}

}  // extern "C"
