// RFC 2045 Base64, as MIME encoded words carry it.
#pragma once

#include <string>
#include <string_view>

namespace drwa::text {

// Base64 with "+" and "/", "=" fill, no line breaks.
std::string EncodeBase64(std::string_view bytes);

// The bytes of a Base64 text. Line breaks between groups, and any other byte
// outside the alphabet, are skipped; a "=" ends its group. Never fails.
std::string DecodeBase64(std::string_view text);

}  // namespace drwa::text
