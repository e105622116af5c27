// What a mail client hands to `drwa-host sendmail`, rewritten in the form a
// host leaves in its outbox for the library: one text/plain part in
// ISO-2022-JP, To and Subject as "=?ISO-2022-JP?B?" words, CR LF line ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "mime_text.h"

namespace drwa_host {

struct OutgoingMail {
    std::string file;                  // the outbox file's bytes, all 7-bit
    std::vector<std::string> dropped;  // the parts left out: "text/html", "application/pdf (a.pdf)"
};

// `mail`: one RFC 5322 mail in any transfer encoding and charset.
// `recipients`: the command line's, for a mail without a To address.
// Throws MailDataError when the input is no mail the library could post: no
// header, no single To address, no text/plain part, a body that is not text
// in its charset.
OutgoingMail WriteOutgoingMail(std::string_view mail, const std::vector<std::string>& recipients);

}  // namespace drwa_host
