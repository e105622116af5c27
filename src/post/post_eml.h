// One outgoing mail on its way to a board, and the tables a send builds once
// and every mail of it shares.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system.h"

namespace drwa::post {

// A failed record's GroupKey starts with this; the send driver tells failed
// records by it and the send error mail strips it.
inline constexpr std::string_view kErrorPrefix = "エラー:";

// One group of the account as a send sees it: its identity and its folder.
struct GroupEntry {
    std::string guid;    // as stored in the group's drwa_BBS.ini
    std::string folder;  // data folder + FOLDER_NAME, native form
};

// Every group of the account, in the order of its sections "00001", "00002",
// ...: position 0 is section "00001", i.e. the host's group index.
using GroupTable = std::vector<GroupEntry>;

// A mail file read raw: no transfer decoding, no charset conversion, no MIME
// part splitting. Lines carry no line ends.
struct RawMail {
    std::vector<std::string> header_lines;  // up to the empty line
    std::vector<std::string> body_lines;    // after it, exactly as they stood
};

struct TPostEml {
    // The mail can never be posted (no or several recipients, a GUID no group
    // has, no post command): the send deletes its file after reporting it.
    bool BadMail = false;
    RawMail Message;
    std::string FileName;     // full path of the outgoing mail file
    std::string GroupFolder;  // the addressed group's folder
    // The group GUID of the recipient address, or kErrorPrefix + message once
    // reading or posting the mail failed.
    std::string GroupKey;
    std::string BoardFile;    // decoded source name + ".cmt"; empty without one
    std::string PostCommand;  // "LIB", "POST" or "GET"
    std::string PostUrl;      // URL template ("$C", "$c")
    std::string PostParams;   // parameter template
    std::string DummyDomain;
    std::string Subject;  // decoded, Shift_JIS
    std::string To;       // decoded To header, Shift_JIS (for the error mail)
    platform::LocalTime PostDate = platform::LocalNow();
    const GroupTable* Groups = nullptr;  // shared by the send, not owned
    std::int32_t GroupIndex = 0;
    std::string ParentNumber;  // the article the mail answers; "" for a new thread
    // The post may have reached the board, and nobody can tell: sending it
    // again could put it there twice, so it waits for the user's word.
    bool Held = false;
    // Called just before the request leaves (or is queued for the plugin):
    // the send driver marks the mail as on its way. False when it could not,
    // and then nothing may leave.
    std::function<bool()> Leaving;

    bool Failed() const { return std::string_view(GroupKey).starts_with(kErrorPrefix); }
    void Fail(std::string_view message) {
        GroupKey = std::string(kErrorPrefix);
        GroupKey += message;
    }
    void Hold(std::string_view why) {
        Held = true;
        Fail(why);
    }
    // False (with the mail failed) when the driver could not mark it.
    bool MayLeave() { return !Leaving || Leaving(); }
};

// The records of one send, sorted by GroupKey once all are read.
using SendList = std::vector<TPostEml>;

}  // namespace drwa::post
