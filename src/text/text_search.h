// Forward search that ignores letter case and knows Shift_JIS: a match never
// starts on the second byte of a double-byte character, and full-width small
// Latin letters match their capitals.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace drwa::text {

struct TextMatch {
    std::size_t start;
    std::size_t length;
};

// The first match of `pattern` in `text` at or after `start + length` (just
// past the current match or selection); a position on a second byte moves one
// byte on. Nothing for an empty pattern or text, or when nothing matches.
std::optional<TextMatch> FindText(std::string_view text, std::size_t start, std::size_t length,
                                  std::string_view pattern);

}  // namespace drwa::text
