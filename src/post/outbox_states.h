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
// board goes back to the outbox.
#pragma once

#include <string>

#include "post/post_eml.h"

namespace drwa::post {

inline constexpr const char* kSendingFolder = "sending";
inline constexpr const char* kHeldFolder = "held";

// Moves `file` into `folder` (made when missing) under its own name, or, when
// that is taken, under the name with a number before its extension
// ("vxq1-2.tmp", still a name the outbox's search finds); the new path.
// Throws drwa::Error.
std::string MoveMailInto(const std::string& file, const std::string& folder);

// The mails of one send on their way through the outbox. Host thread only.
class Outbox {
  public:
    explicit Outbox(std::string folder);

    const std::string& folder() const { return folder_; }

    // The mails an earlier send left on their way when it ended without
    // knowing their outcome (killed, or the machine stopped): held now, and
    // added to `mails` to be reported.
    void HoldInterrupted(const std::string& dummy_domain, const GroupTable& groups,
                         SendList& mails) const;

    // Marks the mail as on its way the moment before its request leaves
    // (mail.Leaving).
    void Watch(TPostEml& mail);

    // Puts the mail where its outcome says: deleted once posted, held when
    // the board may have it, back in the outbox when it surely never got
    // there. Throws when a posted mail cannot be deleted (the next send would
    // post it again).
    void Settle(TPostEml& mail, bool stopped);

  private:
    std::string folder_, sending_, held_;
    std::string on_its_way_;  // the current mail's file while it is on its way
};

}  // namespace drwa::post
