// CP932 <-> UTF-8 on Windows, through UTF-16 with the system's code-page
// tables (932 and UTF-8), refusing what the other side cannot express instead
// of a best-fit guess. Where the system's table and glibc's CP932 part, the
// system's is kept, being what Windows programs agree on: the byte 0x80 is
// U+0080 here (glibc refuses it), and the JIS forms ¥ ‾ − 〜 — ‖ have no CP932
// form here (glibc writes them as 5C 7E 817C 8160 815C 8161).
#include "platform/charset_edge.h"

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

std::optional<std::string> TryCp932ToUtf8(std::string_view cp932) {
    auto wide = win32::TryCp932ToWide(cp932);
    if (!wide) return std::nullopt;
    return win32::TryWideToUtf8(*wide);
}

std::optional<std::string> TryUtf8ToCp932(std::string_view utf8) {
    auto wide = win32::TryUtf8ToWide(utf8);
    if (!wide) return std::nullopt;
    return win32::TryWideToCp932(*wide);
}

}  // namespace drwa::platform
