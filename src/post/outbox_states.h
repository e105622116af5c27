// Where an outgoing mail stands between the host's outbox and the board. The
// folder a file is in is its state, so that a send killed at any moment
// leaves every mail where the next one can tell what to do with it:
//   queued      "vxq*.tmp" in the outbox, where the host left it;
//   on its way  in the outbox's "sending" folder, from just before its
//               request leaves until the outcome is known;
//   held        in the outbox's "held" folder: the board may have it and
//               nobody can tell, so only the user sends it again, by moving
//               it back into the outbox.
// A posted mail is deleted from "sending"; one that surely never reached the
// board goes back to the outbox under its name.
#pragma once

#include <string>
#include <vector>

namespace drwa::post {

inline constexpr const char* kSendingFolder = "sending";
inline constexpr const char* kHeldFolder = "held";

// Moves `file` into `folder` (made when missing) under its own name, or under
// a new one when that is taken; the new path. Throws drwa::Error.
std::string MoveMailInto(const std::string& file, const std::string& folder);

// The mails a send left on their way when it ended without knowing their
// outcome (killed, or the machine stopped), moved into the held folder now;
// their new paths, in name order.
std::vector<std::string> HoldInterruptedMails(const std::string& outbox);

}  // namespace drwa::post
