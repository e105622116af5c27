// Telling whether a mail address is the group address of one of the account's
// groups. A group address is the source name (the file-name-safe Base64 of the
// board's base name), ".", the group's GUID, and the dummy domain. Anybody can
// write a mail address: what is decoded from it is only ever used as the name
// of a file directly inside the group folder.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace drwa::config {

struct GroupAddress {
    std::string identity;    // the GUID to look for
    std::string board_file;  // decoded source name + ".cmt"; empty: none named
};

// Every occurrence of `dummy_domain` is removed without regard to ASCII case;
// the text before the first "." is the source name, the rest the identity. An
// address without "." is all identity. Nothing when the decoded source name
// could not be a plain file name inside the group folder (a "/" or "\", "..",
// a NUL, or no native form). Throws drwa::Error("Uneven size in
// DecodeToStream.") when the source name's length is not a multiple of four.
std::optional<GroupAddress> ParseGroupAddress(std::string_view address,
                                              std::string_view dummy_domain);

// True when `address` is the group address of an enabled group of the account
// whose board file exists; an address without a source name needs no board
// file. The first group with that GUID decides; an empty identity matches no
// group. Throws as ParseGroupAddress.
bool CheckGroup(const IniFile& account, std::string_view address, std::string_view dummy_domain);

}  // namespace drwa::config
