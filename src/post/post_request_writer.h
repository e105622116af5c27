// Queueing a post for a group's article plugin: a request appended to the
// post-request file (".cmw") of the source the mail answers, which the plugin
// carries out on its next run and marks handled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "drwa_plugin.h"
#include "post/post_eml.h"

namespace drwa::post {

// Announces "LIBによる送信開始" and returns true at once when the host asks to
// stop there. Otherwise lists mail.GroupIndex in `group_indexes` (once) and
// appends the mail's request to GroupFolder + the board file's base name +
// ".cmw" (".cmw" alone without a board file), replacing the file whole. A
// failure is recorded in the mail (TPostEml::Fail), never thrown.
bool AppendPostRequest(ProgressCallback callback, std::vector<std::int32_t>& group_indexes,
                       TPostEml& mail);

// The request lines of one mail: status line, title, the "P:" line when the
// mail has a parameter template (URL expanded against `group_settings`), the
// body in Shift_JIS and the closing ".".
std::vector<std::string> PostRequestRecord(const TPostEml& mail, const std::string& group_settings);

}  // namespace drwa::post
