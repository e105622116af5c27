// The outgoing mail reader on outside bytes: the outbox holds whatever a mail
// client wrote, and the recipient address decides which file of the group
// folder is read. The bytes become a mail file, the file a record; then the
// record's queued request is formed as a send would. Besides crashes it checks
// what the send relies on: reading never throws for a readable file, a
// resolved mail names a known command and a board file inside its folder, and
// no request line can end the record early or break a line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "post/outgoing_mail_reader.h"
#include "post/post_request_writer.h"

namespace {

using namespace drwa::post;
namespace fs = std::filesystem;

void Check(bool condition) {
    if (!condition) std::abort();
}

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// One account-like folder per process: group G with a board file whose post
// template fills what a display name leaves out.
struct Setup {
    fs::path root;
    GroupTable groups;
    Setup() {
        std::string pattern = (fs::temp_directory_path() / "fuzz-outgoing-XXXXXX").string();
        Check(mkdtemp(pattern.data()) != nullptr);
        root = pattern;
        fs::create_directories(root / "G");
        Write(root / "G" / "board.cmt", "#T:title\n#P:LIB,$C/post,msg=$M,\n");
        Write(root / "G" / "drwa_BBS.ini", "[BASIC]\r\nURL=http://b.example\r\n");
        groups = {{"0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9", (root / "G").string()}};
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Setup setup;
    const fs::path file = setup.root / "vxq1.tmp";
    Write(file, std::string_view(reinterpret_cast<const char*>(data), size));

    TPostEml mail;
    mail.DummyDomain = "@fuzz.invalid";
    mail.Groups = &setup.groups;
    ReadOutgoingMail(mail, file.string());
    if (mail.Failed()) return 0;

    Check(mail.PostCommand == "LIB" || mail.PostCommand == "POST" || mail.PostCommand == "GET");
    Check(mail.GroupFolder == setup.groups[0].folder && mail.GroupIndex == 0);
    Check(mail.BoardFile.find('/') == std::string::npos &&
          mail.BoardFile.find("..") == std::string::npos);
    const auto lines = PostRequestRecord(mail, (setup.root / "G" / "drwa_BBS.ini").string());
    Check(lines.size() >= 4 && lines.back() == ".");
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        Check(lines[i] != ".");
        Check(lines[i].find_first_of("\r\n") == std::string::npos);
    }
    return 0;
}
