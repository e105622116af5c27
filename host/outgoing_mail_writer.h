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
// `boards`: the board addresses the mail goes to (the command line's); the
// To line is the header's mailbox of that address, for its display name.
// Empty: the board address of the To or Cc header.
// Throws MailDataError when the input is no mail the library could post: no
// header, not exactly one board address, no text/plain part, a body that is
// not text in its charset.
OutgoingMail WriteOutgoingMail(std::string_view mail, const std::vector<std::string>& boards);

// Whether `address` is a board's: its local part (quoted or not) ends in the
// group's identity, as every address of a received mail does ("SOURCE.GUID"
// or "GUID"), whatever the domain.
bool IsBoardAddress(std::string_view address);

// The addresses of the To, Cc and Bcc headers, for a mail handed over
// without recipients on the command line (sendmail -t). Throws MailDataError
// for input that is no mail.
std::vector<std::string> MailRecipients(std::string_view mail);

}  // namespace drwa_host
