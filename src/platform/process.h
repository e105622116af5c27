// Child processes with piped output, in a process group of their own, so that
// a break reaches the program and whatever it started.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace drwa::platform {

class ChildProcess {
  public:
    // Starts the command line (CP932, split by the Windows quoting rules) in
    // `folder`, with standard output and standard error piped to us and
    // standard input from the null device. Where programs have no ".exe", a
    // program named "x.exe" that does not exist is looked for as "x" as well.
    // Throws drwa::Error with the system's reason when the program cannot be
    // started.
    ChildProcess(std::string_view command_line, std::string_view folder);
    // Reaps the process if it has ended; a process still running is left to
    // run and reaped by a later start (never killed here).
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    std::uint32_t id() const { return static_cast<std::uint32_t>(pid_); }

    // Blocks until output is waiting, the process ends, or `timeout_ms`
    // passes (0 = just look). Never blocks past the timeout.
    void Wait(int timeout_ms);

    // Hands the bytes waiting on each pipe to its sink, a block at a time and
    // without blocking. Stops after about `limit` bytes of one pipe, so that a
    // plugin that never stops writing cannot keep the caller here for ever.
    using Sink = std::function<void(std::string_view bytes)>;
    void Drain(const Sink& out, const Sink& err, std::size_t limit = kDrainLimit);
    static constexpr std::size_t kDrainLimit = 1 << 20;

    // True once the process has ended; its exit code is then known: the
    // program's own, or 128 + the signal that ended it.
    bool HasExited();
    std::optional<int> ExitCode() const { return exit_code_; }

    // The console break (SIGINT, CTRL_BREAK_EVENT) to the whole process group.
    void Break();
    // Ends the whole process group (the process's job where there are jobs):
    // the last resort of a time limit.
    void Kill();

  private:
#ifdef _WIN32
    struct Handles;  // the process, its job and the read ends of its pipes
    std::unique_ptr<Handles> handles_;
    std::uint32_t pid_ = 0;
#else
    pid_t pid_ = -1;
    int out_fd_ = -1;
    int err_fd_ = -1;
    int pid_fd_ = -1;
#endif
    std::optional<int> exit_code_;
};

// The console break and the last resort for a process group known only by its
// leader's id (0 is no process and is ignored).
void BreakProcessGroup(std::uint32_t pid);
void KillProcessGroup(std::uint32_t pid);

}  // namespace drwa::platform
