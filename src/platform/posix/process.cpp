#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

#include "common/error.h"
#include "platform/charset_edge.h"
#include "platform/command_line.h"
#include "platform/files.h"

extern char** environ;

namespace drwa::platform {
namespace {

// Processes that were still running when their owner let go of them (a stop
// or a time limit): reaped without waiting whenever a new one starts, so that
// none stays a zombie for long.
class Abandoned {
  public:
    void Add(pid_t pid) {
        std::lock_guard lock(mutex_);
        pids_.push_back(pid);
    }
    void Reap() {
        std::lock_guard lock(mutex_);
        std::erase_if(pids_, [](pid_t p) { return ::waitpid(p, nullptr, WNOHANG) != 0; });
    }

  private:
    std::mutex mutex_;
    std::vector<pid_t> pids_;
};

Abandoned& TheAbandoned() {
    static Abandoned abandoned;
    return abandoned;
}

bool IsExecutable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

// The program as execve wants it: a path with a "/" is taken as it is, a bare
// name is searched on PATH. Empty when not found.
std::string Resolve(const std::string& program) {
    if (program.find('/') != std::string::npos) return IsExecutable(program) ? program : "";
    const char* path = std::getenv("PATH");
    std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
    while (true) {
        std::size_t colon = dirs.find(':');
        std::string dir(dirs.substr(0, colon));
        std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (IsExecutable(candidate)) return candidate;
        if (colon == std::string_view::npos) return "";
        dirs.remove_prefix(colon + 1);
    }
}

bool EndsWithExe(const std::string& s) {
    if (s.size() < 4) return false;
    std::string tail = s.substr(s.size() - 4);
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".exe";
}

std::string SystemText(int err) {
    return TryUtf8ToCp932(std::strerror(err)).value_or(std::strerror(err));
}

struct Pipe {
    int fds[2] = {-1, -1};
    Pipe() {
        if (::pipe2(fds, O_CLOEXEC) != 0) throw Error(SystemText(errno));
        ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    }
    ~Pipe() {
        for (int fd : fds)
            if (fd >= 0) ::close(fd);
    }
    int TakeReadEnd() { return std::exchange(fds[0], -1); }
};

struct SpawnActions {
    posix_spawn_file_actions_t actions;
    SpawnActions() { posix_spawn_file_actions_init(&actions); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions); }
};

struct SpawnAttributes {
    posix_spawnattr_t attr;
    SpawnAttributes() { posix_spawnattr_init(&attr); }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr); }
};

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(std::string_view command_line, std::string_view folder) {
    TheAbandoned().Reap();

    std::vector<std::string> args;
    for (const auto& arg : SplitCommandLine(command_line)) {
        auto native = TryCp932ToUtf8(arg);
        if (!native) throw Error("コマンドラインを変換できません: " + arg);
        args.push_back(*std::move(native));
    }
    if (args.empty() || args[0].empty()) throw Error(SystemText(ENOENT));
    std::string program = Resolve(args[0]);
    if (program.empty() && EndsWithExe(args[0])) {
        // The stored defaults name Windows interpreters ("perl.exe").
        program = Resolve(args[0].substr(0, args[0].size() - 4));
    }
    if (program.empty()) throw Error(SystemText(ENOENT) + ": " + std::string(command_line));

    const std::string native_folder = NativePath(folder).string();
    Pipe out, err;
    SpawnActions fa;
    posix_spawn_file_actions_addopen(&fa.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&fa.actions, out.fds[1], 1);
    posix_spawn_file_actions_adddup2(&fa.actions, err.fds[1], 2);
    posix_spawn_file_actions_addchdir_np(&fa.actions, native_folder.c_str());

    SpawnAttributes sa;
    sigset_t defaults, empty;
    sigemptyset(&defaults);
    // A host started in the background ignores SIGINT, and children inherit
    // that: the break would never reach the plugin.
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    sigaddset(&defaults, SIGPIPE);
    sigemptyset(&empty);
    posix_spawnattr_setsigdefault(&sa.attr, &defaults);
    posix_spawnattr_setsigmask(&sa.attr, &empty);
    posix_spawnattr_setpgroup(&sa.attr, 0);
    posix_spawnattr_setflags(
        &sa.attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    int rc = posix_spawn(&pid, program.c_str(), &fa.actions, &sa.attr, argv.data(), environ);
    if (rc != 0) throw Error(SystemText(rc) + ": " + std::string(command_line));

    pid_ = pid;
    out_fd_ = out.TakeReadEnd();
    err_fd_ = err.TakeReadEnd();
    pid_fd_ = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
}

ChildProcess::~ChildProcess() {
    CloseFd(out_fd_);
    CloseFd(err_fd_);
    CloseFd(pid_fd_);
    if (pid_ > 0 && !exit_code_ && ::waitpid(pid_, nullptr, WNOHANG) == 0) TheAbandoned().Add(pid_);
}

void ChildProcess::Wait(int timeout_ms) {
    pollfd fds[3];
    nfds_t n = 0;
    for (int fd : {out_fd_, err_fd_, exit_code_ ? -1 : pid_fd_}) {
        if (fd >= 0) fds[n++] = pollfd{fd, POLLIN, 0};
    }
    if (pid_fd_ < 0 && !exit_code_) {
        // Without a pidfd (an old kernel) the exit is noticed by looking often.
        timeout_ms = std::min(timeout_ms, 10);
    }
    int rc;
    do {
        rc = ::poll(fds, n, timeout_ms);
    } while (rc < 0 && errno == EINTR);
    // A pipe whose writers are all gone reports POLLHUP for ever: stop
    // watching it, or every later wait would return at once.
    for (nfds_t i = 0; i < n; ++i) {
        if ((fds[i].revents & (POLLHUP | POLLERR)) && !(fds[i].revents & POLLIN)) {
            if (fds[i].fd == out_fd_)
                CloseFd(out_fd_);
            else if (fds[i].fd == err_fd_)
                CloseFd(err_fd_);
        }
    }
}

void ChildProcess::Drain(const Sink& out, const Sink& err, std::size_t limit) {
    char buf[65536];
    for (auto [fd, sink] : {std::pair{&out_fd_, &out}, std::pair{&err_fd_, &err}}) {
        std::size_t taken = 0;
        while (*fd >= 0 && taken < limit) {
            ssize_t got = ::read(*fd, buf, sizeof buf);
            if (got > 0) {
                taken += static_cast<std::size_t>(got);
                (*sink)(std::string_view(buf, static_cast<std::size_t>(got)));
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            if (got == 0) CloseFd(*fd);  // every writer closed its end
            break;
        }
    }
}

bool ChildProcess::HasExited() {
    if (exit_code_) return true;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r != pid_) return false;
    exit_code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    CloseFd(pid_fd_);
    return true;
}

void ChildProcess::Break() {
    BreakProcessGroup(id());
}

void ChildProcess::Kill() {
    KillProcessGroup(id());
}

void BreakProcessGroup(std::uint32_t pid) {
    if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGINT);
}

void KillProcessGroup(std::uint32_t pid) {
    if (pid > 0) ::kill(-static_cast<pid_t>(pid), SIGKILL);
}

}  // namespace drwa::platform
