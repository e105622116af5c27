// Removing the requests a plugin has carried out from a post-request file.
#pragma once

#include <string_view>

namespace drwa::receive {

// Drops every entry whose "S:" line ends in ",," (the plugin's mark for a
// handled request) and the stray lines between entries. What is left gets the
// header "#U:" + the number of pending entries; a file left without entries is
// deleted, failing with "ファイル:" + path + "を削除できませんでした" when it
// cannot be. A file that cannot be read is left alone.
void PrunePostRequestFile(std::string_view path);

}  // namespace drwa::receive
