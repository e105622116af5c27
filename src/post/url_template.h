// The URL template of a post command: where the post goes.
#pragma once

#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::post {

// `post_url` with every "$C" replaced by the group's URL; when there is no
// "$C", every "$c" by its UPURL; otherwise unchanged. Nothing inserted is
// encoded: the values are addresses already.
std::string ExpandUrlTemplate(const config::IniFile& group, std::string_view post_url);

}  // namespace drwa::post
