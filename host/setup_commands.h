// Setting an account up without a display: the account file a new user starts
// from, and a group's settings shown and changed from the command line. They
// write through the same settings code as the dialogs, so a file made here is
// the file the dialogs would have made.
#pragma once

#include <string>
#include <vector>

#include "host_context.h"

namespace drwa_host {

// `new-account [--plugins DIR]`: the account folder and file as the account
// dialog writes them for a new account closed with OK.
int RunNewAccount(HostContext&, const std::vector<std::string>&);
// `show-group N`: the group's settings file, decoded to UTF-8.
int RunShowGroup(HostContext&, const std::vector<std::string>&);
// `set-group N KEY=VALUE...`: keys of section BASIC, or SECTION.KEY=VALUE.
int RunSetGroup(HostContext&, const std::vector<std::string>&);
// `add-board URL --plugin NAME [--name NAME] [--set KEY=VALUE...]`: a new group
// as the group dialog's "make" and OK write it, receiving on.
int RunAddBoard(HostContext&, const std::vector<std::string>&);

}  // namespace drwa_host
