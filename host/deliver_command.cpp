// `deliver --maildir DIR`: the mails waiting in the spool folder move into a
// Maildir, where any Maildir mail client reads them.
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "account_folders.h"
#include "host_context.h"
#include "terminal_text.h"

namespace drwa_host {
namespace fs = std::filesystem;

namespace {

// A Maildir name: unique on this host even for many mails in one second.
std::string UniqueName() {
    static unsigned counter = 0;
    char host[256] = "localhost";
    gethostname(host, sizeof host - 1);
    for (char* p = host; *p; ++p)
        if (*p == '/' || *p == ':') *p = '_';
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    char name[400];
    std::snprintf(name, sizeof name, "%lld.M%ldP%dQ%u.%s", static_cast<long long>(now.tv_sec),
                  now.tv_nsec / 1000, static_cast<int>(getpid()), ++counter, host);
    return name;
}

void Move(const fs::path& from, const fs::path& maildir) {
    const std::string name = UniqueName();
    std::error_code ec;
    fs::rename(from, maildir / "new" / name, ec);
    if (!ec) return;
    // Another file system: the Maildir way, through tmp.
    fs::copy_file(from, maildir / "tmp" / name);
    fs::rename(maildir / "tmp" / name, maildir / "new" / name);
    fs::remove(from);
}

}  // namespace

int RunDeliver(HostContext& host, const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "--maildir")
        throw std::runtime_error("usage: deliver --maildir DIR");
    const fs::path maildir = args[1];
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(maildir / sub);

    const fs::path spool = SpoolFolder(ToUtf8(host.Account()));
    int moved = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(spool, ec)) {
        const fs::path& p = entry.path();
        if (!entry.is_regular_file() || p.extension() != ".eml" || p.filename().string()[0] == '.')
            continue;
        Move(p, maildir);
        ++moved;
    }
    std::printf("%d mail%s delivered to %s\n", moved, moved == 1 ? "" : "s", maildir.c_str());
    return 0;
}

}  // namespace drwa_host
