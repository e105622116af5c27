// Finding the version resource inside a Windows executable or DLL, from the
// file's bytes alone, so that plugin executables describe themselves on every
// platform.
#pragma once

#include <optional>
#include <string_view>

namespace drwa::plugin_files {

// The bytes of the image's version resource (type 16, its first name and the
// first language under it), PE32 or PE32+. Nothing when `image` is not a PE
// file, has no such resource, or any offset on the way points outside it; a
// resource cut off by the end of the file is returned as far as it goes.
std::optional<std::string_view> FindVersionResource(std::string_view image);

}  // namespace drwa::plugin_files
