// Our own reader of address header values, for the builds that have no mail
// library (the Windows DLL). It reads exactly what the outgoing mail reader
// needs: the mailboxes of a To value, members of groups included, with their
// display names unquoted. It keeps the mail library's tolerance of broken
// values (unquoted dots and commas in names, unbalanced angle brackets, route
// addresses, addresses without a domain) so that both builds read one outbox
// the same way; a fuzz target holds the two side by side.
#pragma once

#include <string_view>
#include <vector>

#include "post/mail_message.h"

namespace drwa::post {

// The mailboxes of an address header value, Shift_JIS in and out (encoded
// words already decoded: they are not decoded a second time). Double-byte
// characters are read whole, so a trail byte 0x5C never escapes a quote.
// Never throws; a value that holds no readable mailbox gives none.
std::vector<MailRecipient> ReadMailboxes(std::string_view sjis_value);

// ParseRecipients on top of ReadMailboxes: the same checks and errors as the
// mail library's side (a value that is not Shift_JIS is refused).
std::vector<MailRecipient> ParseRecipientsPortable(std::string_view sjis_value);

}  // namespace drwa::post
