// The text of a mail a client hands over, turned into the CP932 lines the
// library works with: charset conversion, format=flowed and the characters a
// Shift_JIS board cannot take.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace drwa_host {

// Input that is no mail the library could post: the client gets EX_DATAERR
// with this reason and keeps the mail.
struct MailDataError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// UTF-8 as CP932. A character without a CP932 form (an emoji, 𠮷) becomes a
// decimal character reference "&#134071;", as a browser submits it in a
// Shift_JIS form; bytes that are no UTF-8 become "?".
std::string Utf8ToCp932(std::string_view utf8);

// Body bytes in `charset` (the name the mail gave, empty when none; iconv
// knows it as `iconv_name`) as CP932. Japanese charsets go through the
// library's own converters, which know the NEC and IBM rows that iconv's
// ISO-2022-JP lacks. Throws MailDataError for an unknown charset or bytes that
// are not text in it.
std::string BodyToCp932(std::string_view bytes, std::string_view charset,
                        std::string_view iconv_name);

// The lines of a text whose lines end in CR LF, LF or CR; no empty last line
// for a final line end.
std::vector<std::string> TextLines(std::string_view text);

// A format=flowed text (RFC 3676) as the lines its writer meant: soft line
// breaks joined (with their blank unless `delsp`), space-stuffing undone.
std::vector<std::string> Unflow(const std::vector<std::string>& lines, bool delsp);

// The text without control characters other than TAB. A stray ESC would
// switch the JIS mode of everything after it; CR or LF inside a header value
// would start a header of its own. Header values pass `blank` = true, so the
// words on either side stay apart.
std::string WithoutControls(std::string_view text, bool blank);

}  // namespace drwa_host
