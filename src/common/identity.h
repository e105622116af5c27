// What the library calls itself: its name, version and author, as the host
// reads them through the exports and the account dialog shows them. CP932.
#pragma once

namespace drwa {

inline constexpr const char* kLibraryName = "DRWAプラグインプラグイン";
inline constexpr const char* kLibraryVersion = "0.9β";
inline constexpr const char* kLibraryAuthor = "DRWA開発チーム";

}  // namespace drwa
