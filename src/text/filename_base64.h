// The file-name-safe Base64 of source names: an article file's base name (any
// Shift_JIS bytes) carried inside mail file names, Message-Ids and addresses.
// Its alphabet is RFC 2045's with "@" for value 63, so the text holds neither
// "/" (a path separator) nor "." (which separates it from the group GUID).
#pragma once

#include <string>
#include <string_view>

namespace drwa::text {

// "cm_test" -> "Y21fdGVzdA=="; bytes FF FF FF -> "@@@@". Empty in, empty out.
std::string EncodeFileNameBase64(std::string_view bytes);

// The bytes back. Throws drwa::Error("Uneven size in DecodeToStream.") when the
// length of `text` is not a multiple of four; bytes outside the alphabet are
// skipped, so damaged text decodes to the same bytes every time.
std::string DecodeFileNameBase64(std::string_view text);

}  // namespace drwa::text
