// The group check on a mail address that anybody can write: the address is
// split, the dummy domain removed, and the source name decoded into the name of
// a board file. Whatever the input, a board file name that comes out must name
// a file directly inside the group folder, and the only failure allowed is the
// decoder's on a source name of uneven length.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "config/folders.h"
#include "config/group_check.h"
#include "platform/files.h"
#include "text/sjis_bytes.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr std::string_view kExtension = ".cmt";

void CheckBoardFile(std::string_view board) {
    Check(board.size() >= kExtension.size() && board.substr(board.size() - 4) == kExtension);
    const std::string_view base = board.substr(0, board.size() - kExtension.size());
    Check(base.find('/') == std::string_view::npos);
    Check(base.find('\0') == std::string_view::npos);
    Check(base.find("..") == std::string_view::npos);
    for (std::size_t i = 0; i < base.size(); i += drwa::text::SjisCharLength(base, i))
        Check(base[i] != '\\');
    // Joined to a group folder, the file lies in that very folder.
    const std::string folder = "/data/BBS/GROUP";
    Check(drwa::config::FolderOfFile(drwa::platform::JoinPath(folder, board)) == folder);
}

}  // namespace

// The first byte gives the length of the dummy domain that follows; the rest
// is the address.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t domain_length = std::min<std::size_t>(data[0] % 32, input.size());
    const std::string_view domain = input.substr(0, domain_length);
    const std::string_view address = input.substr(domain_length);
    try {
        const auto parsed = drwa::config::ParseGroupAddress(address, domain);
        if (parsed && !parsed->board_file.empty()) CheckBoardFile(parsed->board_file);
        if (parsed && parsed->board_file.empty())
            Check(parsed->identity.find('.') == std::string::npos);
    } catch (const drwa::Error& e) {
        Check(std::string_view(e.what()) == "Uneven size in DecodeToStream.");
    }
    return 0;
}
