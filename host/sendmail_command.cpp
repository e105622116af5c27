// `sendmail [OPTIONS] [--] [RECIPIENT...]`: the command a mail client sends
// through. One mail on standard input becomes a new file "vxq*.tmp" in the
// account's outbox, where the next `send` finds it. Exit statuses are
// sendmail's, which clients read: 0 queued, 65 not a mail (the client keeps
// it), 67 a recipient that is no board, 75 the outbox cannot take it now.
//
// Mail for people is no board's: refused as a whole, so that nothing of it
// goes anywhere, unless a forwarding command is set (--forward=COMMAND or
// [HOST] SENDMAIL_FORWARD in the account file). Then the people get the mail
// unchanged through that command, and the board its text through the outbox.
//
// No account lock: the file appears whole under its final name by a link, so
// a client never waits for a long receive and a send never reads half a mail.
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <string_view>

#include "account_folders.h"
#include "config/ini_file.h"
#include "host_context.h"
#include "outgoing_mail_writer.h"
#include "platform/posix/unique_fd.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

namespace fs = std::filesystem;

// sysexits.h
constexpr int kExUsage = 64;
constexpr int kExDataErr = 65;
constexpr int kExNoUser = 67;
constexpr int kExTempFail = 75;
constexpr int kExConfig = 78;

// A mail with large attachments is still read whole; past this it is no
// mail for a board.
constexpr std::size_t kMaxInput = 64u << 20;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct OutboxError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct NoBoardError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

constexpr std::string_view kForwardOption = "--forward=";

// sendmail's options that take a value, attached ("-fADDR") or as the next
// argument. Every other option (-oi, -oem, -t, -i, -v, ...) changes nothing
// here: the recipient comes from the To header, the sender is the mail's.
constexpr std::string_view kOptionsWithValue = "fFrBNRVXLph";

std::vector<std::string> Recipients(const std::vector<std::string>& args) {
    std::vector<std::string> recipients;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.starts_with(kForwardOption)) continue;
        if (a == "--forward") {
            if (++i == args.size()) throw UsageError("option --forward needs a command");
            continue;
        }
        if (a == "--") {
            recipients.insert(recipients.end(), args.begin() + static_cast<long>(i) + 1,
                              args.end());
            break;
        }
        if (a.size() < 2 || a[0] != '-') {
            recipients.push_back(a);
        } else if (a[1] == 'b' && a != "-bm") {
            // -bs (SMTP on standard input), -bp (list the queue), ...: none
            // of them is a mail to queue.
            throw UsageError("mode " + a + " is not supported; only -bm (read a mail)");
        } else if (kOptionsWithValue.find(a[1]) != std::string_view::npos && a.size() == 2) {
            if (++i == args.size()) throw UsageError("option " + a + " needs a value");
        }
    }
    return recipients;
}

std::string ReadInput() {
    std::string in;
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
        if (n == 0) return in;
        if (n < 0) {
            if (errno == EINTR) continue;
            throw OutboxError(std::string("cannot read standard input: ") + std::strerror(errno));
        }
        in.append(buffer, static_cast<std::size_t>(n));
        if (in.size() > kMaxInput) throw MailDataError("the mail is larger than 64 MiB");
    }
}

using Fd = drwa::platform::UniqueFd;

[[noreturn]] void Fail(const std::string& what, const fs::path& path) {
    throw OutboxError(what + " " + path.string() + ": " + std::strerror(errno));
}

void WriteAll(int fd, std::string_view bytes, const fs::path& path) {
    while (!bytes.empty()) {
        const ssize_t n = write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail("cannot write", path);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The file is written aside under a name the library's "vxq*.tmp" never
// matches, flushed to the disk (the client forgets the mail once we say 0),
// and then linked under its final name, which never replaces a file.
fs::path Queue(const fs::path& outbox, std::string_view bytes) {
    if (mkdir(outbox.c_str(), 0700) != 0 && errno != EEXIST) Fail("cannot create", outbox);
    std::random_device seed;
    std::mt19937_64 random(seed() ^ (static_cast<std::uint64_t>(getpid()) << 32));
    const auto unique = [&] {
        char name[32];
        std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(random()));
        return std::string(name);
    };

    fs::path aside;
    Fd file;
    for (int tries = 0; file.get() < 0; ++tries) {
        aside = outbox / (".sendmail-" + unique());
        file.reset(open(aside.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (file.get() < 0 && (errno != EEXIST || tries > 100)) Fail("cannot create", aside);
    }
    struct Remove {
        const fs::path& path;
        ~Remove() { unlink(path.c_str()); }
    } remove_aside{aside};
    WriteAll(file.get(), bytes, aside);
    if (fsync(file.get()) != 0) Fail("cannot flush", aside);

    for (int tries = 0;; ++tries) {
        const fs::path target = outbox / ("vxq" + unique() + ".tmp");
        if (link(aside.c_str(), target.c_str()) == 0) {
            Fd folder(open(outbox.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
            if (folder.get() < 0 || fsync(folder.get()) != 0) Fail("cannot flush", outbox);
            return target;
        }
        if (errno != EEXIST || tries > 100) Fail("cannot link", target);
    }
}

// The forwarding command: the command line's, else the account's setting;
// empty when mail for people is refused.
std::string ForwardCommand(const std::vector<std::string>& args, const std::string& account) {
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        if (args[i].starts_with(kForwardOption)) return args[i].substr(kForwardOption.size());
        if (args[i] == "--forward" && i + 1 < args.size()) return args[i + 1];
    }
    const drwa::config::IniFile settings{account};
    return ToUtf8(settings.ReadString("HOST", "SENDMAIL_FORWARD", ""));
}

// Runs `command` through the shell with the recipients as its arguments and
// the mail on its standard input; its exit status, 75 when it could not run
// or was killed.
int Forward(const std::string& command, const std::vector<std::string>& people,
            std::string_view mail) {
    int pipe_ends[2];
    if (pipe2(pipe_ends, O_CLOEXEC) != 0) return kExTempFail;
    Fd read_end(pipe_ends[0]), write_end(pipe_ends[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, read_end.get(), STDIN_FILENO);
    const std::string script = command + " \"$@\"";
    std::vector<std::string> words{"/bin/sh", "-c", script, "sh"};
    words.insert(words.end(), people.begin(), people.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, "/bin/sh", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    read_end.reset();
    if (spawned != 0) return kExTempFail;
    // A command that stops reading early must not take us down with SIGPIPE.
    std::signal(SIGPIPE, SIG_IGN);
    while (!mail.empty()) {
        const ssize_t n = write(write_end.get(), mail.data(), mail.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        mail.remove_prefix(static_cast<std::size_t>(n));
    }
    write_end.reset();
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return kExTempFail;
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExTempFail;
}

std::string Joined(const std::vector<std::string>& words) {
    std::string out;
    for (const std::string& w : words) out += (out.empty() ? "" : ", ") + w;
    return out;
}

}  // namespace

int RunSendmail(HostContext& host, const std::vector<std::string>& args) {
    try {
        if (!host.account) throw UsageError("sendmail needs --account ACCOUNT.ini");
        const std::vector<std::string> recipients = Recipients(args);
        const fs::path account = ToUtf8(*host.account);
        if (!fs::is_regular_file(account)) {
            std::fprintf(stderr, "drwa-host sendmail: no account file %s\n", account.c_str());
            return kExConfig;
        }
        const std::string input = ReadInput();
        std::vector<std::string> boards, people;
        for (const std::string& r : recipients.empty() ? MailRecipients(input) : recipients)
            (IsBoardAddress(r) ? boards : people).push_back(r);

        // Everything that could refuse the mail is asked before anybody gets
        // it: the board's part is made first, the people's command runs next.
        std::optional<OutgoingMail> mail;
        if (!boards.empty() || people.empty()) mail = WriteOutgoingMail(input, boards);
        if (!people.empty()) {
            const std::string command = ForwardCommand(args, *host.account);
            if (command.empty())
                throw NoBoardError(
                    Joined(people) +
                    (people.size() > 1 ? " are no board's addresses" : " is no board's address") +
                    " (a board's address ends in its group's ID before the @); "
                    "to send mail for people through this command, set "
                    "--forward=COMMAND or SENDMAIL_FORWARD in the account's [HOST]");
            if (const int status = Forward(command, people, input); status != 0) {
                std::fprintf(stderr, "drwa-host sendmail: not sent: %s exited with %d\n",
                             command.c_str(), status);
                return status >= 64 && status <= 78 ? status : kExTempFail;
            }
        }
        if (!mail) return 0;
        if (!mail->dropped.empty())
            std::fprintf(stderr,
                         "drwa-host sendmail: only the text goes to the board; left out: %s\n",
                         Joined(mail->dropped).c_str());
        Queue(OutboxFolder(account), mail->file);
        return 0;
    } catch (const UsageError& e) {
        std::fprintf(stderr, "drwa-host sendmail: %s\n", e.what());
        return kExUsage;
    } catch (const NoBoardError& e) {
        std::fprintf(stderr, "drwa-host sendmail: not sent: %s\n", e.what());
        return kExNoUser;
    } catch (const MailDataError& e) {
        std::fprintf(stderr, "drwa-host sendmail: not queued: %s\n", e.what());
        return kExDataErr;
    } catch (const std::exception& e) {
        // Whatever else went wrong, the client keeps the mail and may retry.
        std::fprintf(stderr, "drwa-host sendmail: not queued: %s\n", e.what());
        return kExTempFail;
    }
}

}  // namespace drwa_host
