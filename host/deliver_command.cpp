// `deliver --maildir DIR`: the mails waiting in the spool folder move into a
// Maildir, where any Maildir mail client reads them.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "account_folders.h"
#include "host_context.h"
#include "platform/posix/unique_fd.h"
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

using Fd = drwa::platform::UniqueFd;

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
    throw std::system_error(errno, std::generic_category(), what + " " + path.string());
}

// The spool keeps the host's CR LF; Unix Maildir clients show every CR as "^M".
std::string WithLfLineEnds(const std::string& mail) {
    std::string out;
    out.reserve(mail.size());
    for (std::size_t i = 0; i < mail.size(); ++i)
        if (mail[i] != '\r' || i + 1 >= mail.size() || mail[i + 1] != '\n') out += mail[i];
    return out;
}

void WriteSynced(const fs::path& path, const std::string& bytes) {
    Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (fd.get() < 0) Fail("cannot create", path);
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot write", path);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0) Fail("cannot sync", path);
    if (::close(fd.release()) != 0) Fail("cannot close", path);
}

void SyncFolder(const fs::path& folder) {
    Fd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.get() < 0 || ::fsync(fd.get()) != 0) Fail("cannot sync", folder);
}

// The Maildir way: written whole into tmp/ and on the disk, then renamed into
// new/, where readers look; the spool file goes only once the mail is safe.
void Deliver(const fs::path& from, const fs::path& maildir) {
    std::ifstream in(from, std::ios::binary);
    if (!in) Fail("cannot read", from);
    const std::string mail{std::istreambuf_iterator<char>(in), {}};
    if (in.bad()) Fail("cannot read", from);

    const std::string name = UniqueName();
    const fs::path tmp = maildir / "tmp" / name;
    try {
        WriteSynced(tmp, WithLfLineEnds(mail));
        fs::rename(tmp, maildir / "new" / name);
    } catch (...) {
        std::error_code ignored;
        fs::remove(tmp, ignored);
        throw;
    }
    SyncFolder(maildir / "new");
    fs::remove(from);
}

}  // namespace

int RunDeliver(HostContext& host, const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "--maildir")
        throw std::runtime_error("usage: deliver --maildir DIR");
    const fs::path maildir = args[1];
    // Said in the user's words before anything moves: create_directories would
    // only report "File exists" on a file where the Maildir or its parts go.
    for (const fs::path& p : {maildir, maildir / "cur", maildir / "new", maildir / "tmp"}) {
        std::error_code ec;
        if (fs::exists(p, ec) && !fs::is_directory(p, ec))
            throw std::runtime_error("deliver: " + p.string() +
                                     " is a file, not a folder: --maildir names the " +
                                     "Maildir folder the mails go into (it is made when missing)");
    }
    const auto lock = LockAccount(host);
    for (const char* sub : {"cur", "new", "tmp"}) fs::create_directories(maildir / sub);

    const fs::path spool = SpoolFolder(ToUtf8(host.Account()));
    int moved = 0;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(spool, ec)) {
        const fs::path& p = entry.path();
        if (!entry.is_regular_file() || p.extension() != ".eml" || p.filename().string()[0] == '.')
            continue;
        Deliver(p, maildir);
        ++moved;
    }
    std::printf("%d mail%s delivered to %s\n", moved, moved == 1 ? "" : "s", maildir.c_str());
    return 0;
}

}  // namespace drwa_host
