// The arguments every group export takes from the host, checked once: the
// account's settings file and the host's list of group indexes.
#pragma once

#include <cstdint>
#include <span>

#include "common/error.h"
#include "config/ini_file.h"

namespace drwa::plugin {

inline config::IniFile Account(const char* path) {
    if (!path) throw Error("アカウントの設定ファイルが指定されていません");
    return config::IniFile(path);
}

inline std::span<const std::int32_t> GroupList(const std::int32_t* groups, std::int32_t count) {
    if (count <= 0) return {};
    if (!groups) throw Error("グループの一覧が指定されていません");
    return {groups, static_cast<std::size_t>(count)};
}

}  // namespace drwa::plugin
