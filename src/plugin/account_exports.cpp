// The exports that describe the account and the host's group list.
#include <array>
#include <cstring>

#include "common/error.h"
#include "common/limits.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"
#include "plugin/menu_items.h"

namespace drwa::plugin {
namespace {

static_assert(sizeof(GroupColumn) == 264, "the host reads 264-byte column records");

struct ColumnSpec {
    std::int32_t format;
    std::int32_t width;
    const char* title;
};

// The seven columns of the host's group list; GetGroupProperty gives their
// values in the same order.
constexpr std::array<ColumnSpec, 7> kColumns{{
    {0, 400, "掲示板"},  // group name
    {1, 0, ""},          // three numbers, always 0
    {1, 0, ""},
    {1, 0, ""},
    {2, 0, ""},            // first text, always empty
    {1, 120, "既読位置"},  // read position (PARAM2)
    {0, 0, ""},            // third text, always empty
}};

void CopyLimited(char* out, const char* text, std::size_t limit) {
    std::size_t n = std::min(std::strlen(text), limit);
    std::memcpy(out, text, n);
    out[n] = '\0';
}

}  // namespace
}  // namespace drwa::plugin

using namespace drwa;

extern "C" {

int32_t DRWA_CALL ThreadSupported(int32_t /*reserved*/, const char* account_path) {
    return plugin::RunExport(1, [&] {
        config::IniFile account(account_path ? account_path : "");
        return account.ReadInteger(config::keys::kPlugin, config::keys::kThreadCount,
                                   config::keys::kDefaultThreadCount);
    });
}

int32_t DRWA_CALL GetGroupCount(const char* account_path) {
    return plugin::RunExport(0, [&] {
        config::IniFile account(account_path ? account_path : "");
        return account.ReadInteger(config::keys::kPlugin, config::keys::kGroupCount, 0);
    });
}

int32_t DRWA_CALL GetGroupColumns(int32_t /*reserved*/, GroupColumn* columns) {
    return plugin::RunExport(1, [&] {
        if (!columns) throw Error("列の領域が指定されていません");
        for (std::size_t i = 0; i < plugin::kColumns.size(); ++i) {
            columns[i].format = plugin::kColumns[i].format;
            columns[i].width = plugin::kColumns[i].width;
            std::memset(columns[i].title, 0, sizeof columns[i].title);
            plugin::CopyLimited(columns[i].title, plugin::kColumns[i].title, limits::kHostText);
        }
        return 0;
    });
}

int32_t DRWA_CALL GetMenuItems(int32_t, int32_t, char* items, int32_t, int32_t) {
    return plugin::CopyText(items, plugin::MenuText().c_str());
}

}  // extern "C"
