// ParseRecipients and ParseMailDate for the builds without GMime (the Windows
// DLL): our own readers.
#include "post/mail_address_parser.h"
#include "post/mail_date_parser.h"

namespace drwa::post {

std::vector<MailRecipient> ParseRecipients(std::string_view sjis_value) {
    return ParseRecipientsPortable(sjis_value);
}

std::optional<platform::LocalTime> ParseMailDate(std::string_view value) {
    return ParseMailDatePortable(value);
}

}  // namespace drwa::post
