// `resend [FILE...]`: the user's word that held mails may go again. A send
// holds a mail whose request may have reached the board (a stop, a time-out,
// an answer it could not read) rather than post it twice; the user looks at
// the board, and gives back what is not there. Without FILE, the held mails
// are listed.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "account_folders.h"
#include "host_context.h"
#include "host_system.h"
#include "post/outbox_states.h"
#include "terminal_text.h"
#include "text/code_conversions.h"
#include "text/header_words.h"

namespace drwa_host {
namespace {

namespace fs = std::filesystem;

// The Subject line of a mail file in the outbox's form, decoded for the
// terminal; empty without one.
std::string SubjectOf(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    for (std::string line; std::getline(in, line) && line != "\r" && !line.empty();) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 8 && line.compare(0, 8, "Subject:") == 0)
            return ToUtf8(
                drwa::text::Iso2022JpToShiftJis(drwa::text::DecodeHeaderLine(line.substr(8))));
    }
    return {};
}

std::vector<fs::path> HeldMails(const fs::path& held) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(held, ec))
        if (entry.is_regular_file() && !entry.path().filename().string().starts_with("."))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

}  // namespace

int RunResend(HostContext& host, const std::vector<std::string>& args) {
    const fs::path outbox = OutboxFolder(ToUtf8(host.Account()));
    const fs::path held = outbox / drwa::post::kHeldFolder;
    if (args.empty()) {
        const std::vector<fs::path> files = HeldMails(held);
        if (files.empty()) Print(stdout, "no mail is held in %s\n", held.c_str());
        for (const fs::path& f : files) Print(stdout, "%s\t%s\n", f.c_str(), SubjectOf(f).c_str());
        return 0;
    }
    int status = 0;
    for (const std::string& arg : args) {
        // A held mail named by its path or by its name alone.
        fs::path file = fs::path(arg).has_parent_path() ? fs::path(arg) : held / arg;
        std::error_code ec;
        if (!fs::is_regular_file(file) ||
            fs::weakly_canonical(file.parent_path(), ec) != fs::weakly_canonical(held, ec)) {
            Print(stderr, "drwa-host resend: %s is no held mail of this account (they are in %s)\n",
                  arg.c_str(), held.c_str());
            status = 2;
            continue;
        }
        // Under a name no mail of the outbox has, as the send itself moves
        // mails between its folders.
        try {
            const std::string target =
                drwa::post::MoveMailInto(ToCp932(file.string()), ToCp932(outbox.string()));
            Print(stdout, "%s goes again with the next send\n", ToUtf8(target).c_str());
        } catch (const std::exception& e) {
            Print(stderr, "drwa-host resend: cannot move %s: %s\n", file.c_str(),
                  ToUtf8(e.what()).c_str());
            status = 1;
        }
    }
    return status;
}

}  // namespace drwa_host
