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

// The request target as a URL can carry it: blanks, "#", control bytes, bytes
// of 0x80 and above and a "%" that starts no escape become "%XX"; an escape
// already there stays as it is. Values of "$(" key ")" reach the address
// unencoded, and a blank there would make the whole request unsendable, a
// "#" would cut the rest of the query off unseen.
std::string UrlSafe(std::string_view url);

}  // namespace drwa::post
