// The folders a host keeps for an account. The host chooses where the
// account's data lives (section SERVER of the account file is the host's own),
// so it finds the spool folder the library writes mails into without asking
// the library.
#pragma once

#include <filesystem>

namespace drwa_host {

// The spool folder of the account whose settings file is `account` (UTF-8).
std::filesystem::path SpoolFolder(const std::filesystem::path& account);

// The host's outbox, where outgoing mails wait for the library.
std::filesystem::path OutboxFolder(const std::filesystem::path& account);

}  // namespace drwa_host
