// What SendAll does: every outgoing mail of the account posted to its board,
// over HTTP or queued for the group's article plugin.
#pragma once

#include <cstdint>
#include <string>

#include "drwa_plugin.h"
#include "post/post_eml.h"

namespace drwa::post {

// Builds the account's group table: one entry per group section, announced as
// FOLDER_NAME + "のGUID読込". Fails with "フォルダ名が設定されていません:" +
// section or "GUIDが設定されていません:" + folder name, and with the abort
// message when the host asks to stop.
GroupTable BuildGroupTable(const std::string& account_path, ProgressCallback callback);

// Sends every mail of the account's outbox. A mail that fails is reported in
// the send error mail and stays for the next send (or is deleted when it can
// never be posted); a mail that went out is deleted. Returns 0; with the
// receive/send mode 1, the groups that got post requests are received at once
// and a failure of that receive is thrown after the error mail is written.
// Throws drwa::Error for what ends the whole send: the host's stop
// ("送信はユーザーにより中止されました"), a group without folder name or GUID,
// a posted mail that cannot be deleted, an unreadable outgoing mail.
std::int32_t SendAllMails(const std::string& account_path, ProgressCallback callback);

}  // namespace drwa::post
