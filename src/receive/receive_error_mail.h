// A receive that fails on a worker cannot use the error record (the host's
// call still runs other groups), so the failure becomes a mail in the spool
// folder that the user reads like any other.
#pragma once

#include <string>
#include <string_view>

namespace drwa::receive {

// Writes the error mail of a group: from "KVT7R ERROR SYSTEM", the group's
// label in the subject, and each line of `message` in the body. The file is
// the spool folder + a new GUID + ".eml". Failures propagate; callers ignore
// them.
void WriteReceiveErrorMail(std::string_view message, const std::string& account_path,
                           const std::string& group_ini_path);

}  // namespace drwa::receive
