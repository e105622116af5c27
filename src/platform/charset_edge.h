// Conversions between the library's CP932 text and UTF-8 at the edges of the
// system: file names, terminal, Qt, GMime. The system's own Japanese codecs
// live in src/text; this is only the bridge to the outside world.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace drwa::platform {

// Both return nothing when the input holds a sequence the other side cannot
// express; callers decide whether that is an error.
std::optional<std::string> TryCp932ToUtf8(std::string_view cp932);
std::optional<std::string> TryUtf8ToCp932(std::string_view utf8);

// Throwing forms for callers where an unmappable text is a clear error.
std::string Cp932ToUtf8(std::string_view cp932);
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace drwa::platform
