// The mail library behind the outgoing mail reader: a mail file read raw, the
// recipients of an address header and the time of a Date header. This pair is
// the only place that knows the mail library, so that another back-end can
// take its place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"
#include "post/post_eml.h"

namespace drwa::post {

// The header lines (up to the first empty line) and the body lines of a mail
// text, without line ends and without any decoding: a body line "." or ".."
// stays exactly as it stood.
RawMail SplitRawMail(std::string_view bytes);

// The mail file at `path`, split as above. Throws drwa::Error with the path and
// the system's reason when the file cannot be read.
RawMail LoadRawMail(std::string_view path);

// One recipient, Shift_JIS: the address as written, the display name unquoted.
struct MailRecipient {
    std::string address;
    std::string name;
};

// The mailboxes of an address header value (Shift_JIS, encoded words already
// decoded), members of a group included; empty when the value holds none.
// Throws drwa::Error when the value or a recipient cannot be expressed in
// Shift_JIS.
std::vector<MailRecipient> ParseRecipients(std::string_view sjis_value);

// The local time of a Date header value; nothing when it cannot be read.
std::optional<platform::LocalTime> ParseMailDate(std::string_view value);

}  // namespace drwa::post
