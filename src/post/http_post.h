// Posting one mail to its board over HTTP: the group's parameter template
// filled with the mail, one request, the board's answer kept in the send log.
#pragma once

#include <string>

#include "drwa_plugin.h"
#include "post/post_eml.h"

namespace drwa::post {

enum class HttpMethod { kPost, kGet };

// Posts one mail to its board. True when the user aborted through the callback.
// A failed post is recorded in mail.GroupKey (mail.Fail(...)), not thrown; an
// unmatched "$(" throws drwa::Error (it ends the whole send).
bool PostOverHttp(const std::string& account_path, ProgressCallback callback, HttpMethod method,
                  TPostEml& mail);

}  // namespace drwa::post
