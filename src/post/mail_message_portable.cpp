// Our address reader with the same checks as the GMime side. Built
// everywhere, so that the Linux tests and the differential fuzz target run it
// beside GMime.
#include "common/error.h"
#include "platform/charset_edge.h"
#include "post/mail_address_parser.h"

namespace drwa::post {

std::vector<MailRecipient> ParseRecipientsPortable(std::string_view sjis_value) {
    if (!platform::TryCp932ToUtf8(sjis_value))
        throw Error("宛先を読めません: Shift_JISでない文字があります");
    return ReadMailboxes(sjis_value);
}

}  // namespace drwa::post
