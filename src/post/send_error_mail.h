// The mails a send could not post, reported in one mail in the spool folder so
// that the user reads them in the mail client, with each mail's text.
#pragma once

#include <string>
#include <vector>

#include "post/post_eml.h"

namespace drwa::post {

// Writes the send error mail into the account's spool folder as a new GUID +
// ".eml", unless nothing failed, and only then deletes the bad mails: their
// text is never gone before it is on disk in the error mail. Failures
// propagate, and then every bad mail is still where it was.
// `only_held`: report the held mails alone (a send the user stopped).
void WriteSendErrorMail(const std::string& account_path, const SendList& list,
                        bool only_held = false);

}  // namespace drwa::post
