// The host's outgoing mails as TPostEml records: the group each one is
// addressed to, and the post command that says how it reaches the board.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "drwa_plugin.h"
#include "post/post_eml.h"

namespace drwa::post {

// The value of the first header `name` (letter case ignored, written
// "Name: value") with its continuation lines joined, encoded words decoded and
// the text in Shift_JIS; empty when there is none. `to_mode` turns a value
// that starts with \" into one with plain quotes, as hosts write them.
std::string ReadHeader(std::string_view name, const std::vector<std::string>& header_lines,
                       bool to_mode);

// Reads the mail file `path` into `mail`, whose DummyDomain and Groups are set.
// A mail that cannot be resolved to a group and a post command is recorded in
// GroupKey (TPostEml::Fail) with BadMail set when it can never be posted; only
// a file that cannot be read throws drwa::Error.
void ReadOutgoingMail(TPostEml& mail, const std::string& path);

// Every "vxq*.tmp" file of `folder` (no folders, no hidden names) read into
// `list`, which is then sorted by GroupKey. Each mail read is announced as
// "送信予定ファイル読込 " + count + ":" + path; true when the host asked to
// stop there (the records read so far stay in `list`, unsorted).
bool ReadOutgoingMails(const std::string& folder, const std::string& dummy_domain,
                       const GroupTable& groups, ProgressCallback callback, SendList& list);

}  // namespace drwa::post
