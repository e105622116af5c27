// The mails a send could not post, reported in one mail in the spool folder so
// that the user reads them in the mail client, with each mail's text.
#pragma once

#include <string>
#include <vector>

#include "post/post_eml.h"

namespace drwa::post {

// The lines of the send error mail for the failed records of `list`, in list
// order; a bad mail's file is deleted on the way, and its action line says
// whether that worked. Only the five head lines when nothing failed.
std::vector<std::string> SendErrorMailLines(const SendList& list);

// Writes the send error mail into the account's spool folder as a new GUID +
// ".eml", unless nothing failed. Failures propagate.
void WriteSendErrorMail(const std::string& account_path, const SendList& list);

}  // namespace drwa::post
