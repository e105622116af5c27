// Child processes on Windows: CreateProcessW with the command line as given
// (Windows splits it itself), both output pipes and nothing else inherited,
// a new process group for the console break, and a job object per child so
// that the last resort ends the plugin together with everything it started.
#include <windows.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "common/error.h"
#include "platform/process.h"
#include "platform/win32/unique_handle.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

using win32::UniqueHandle;

struct ChildProcess::Handles {
    UniqueHandle process;
    UniqueHandle out;  // read ends; reset once the pipe is broken (all writers gone)
    UniqueHandle err;
};

namespace {

// What a killed process reports as its exit code: the same as on the POSIX
// side (128 + SIGKILL), so logs read alike.
constexpr UINT kKilledExitCode = 137;
// Each pipe holds this much before the plugin's writes wait for us.
constexpr DWORD kPipeBuffer = 4000;
// Pipes cannot be waited on: between two looks the wait sleeps this long at
// most (less when the process ends, which does wake the wait).
constexpr DWORD kLongestPeekGapMs = 16;

// The children started here, by process id: the receive code knows a worker's
// plugin only by its id. An entry keeps a handle of the process, so that the
// id is not given to another process while it is listed, and lives on after
// its ChildProcess while anything in the job runs, as a process group does.
class Children {
  public:
    void Add(DWORD pid, UniqueHandle process, UniqueHandle job) {
        std::lock_guard lock(mutex_);
        Reap();
        entries_[pid] = Entry{std::move(process), std::move(job), true};
    }
    void Release(DWORD pid) {
        std::lock_guard lock(mutex_);
        if (auto it = entries_.find(pid); it != entries_.end()) it->second.owned = false;
        Reap();
    }
    void Kill(DWORD pid) {
        std::lock_guard lock(mutex_);
        auto it = entries_.find(pid);
        if (it == entries_.end()) return;
        if (it->second.job)
            ::TerminateJobObject(it->second.job.get(), kKilledExitCode);
        else
            ::TerminateProcess(it->second.process.get(), kKilledExitCode);
    }
    // Only our own children get the break: for any other id the event would
    // reach whatever process group happens to carry it.
    void Break(DWORD pid) {
        std::lock_guard lock(mutex_);
        if (entries_.count(pid)) ::GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, pid);
    }

  private:
    struct Entry {
        UniqueHandle process;
        UniqueHandle job;  // null when the system refused to put the child in one
        bool owned;        // its ChildProcess still exists
    };
    static bool Running(const Entry& e) {
        if (::WaitForSingleObject(e.process.get(), 0) == WAIT_TIMEOUT) return true;
        if (!e.job) return false;
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
        return ::QueryInformationJobObject(e.job.get(), JobObjectBasicAccountingInformation, &info,
                                           sizeof info, nullptr) &&
               info.ActiveProcesses > 0;
    }
    void Reap() {
        std::erase_if(entries_,
                      [](const auto& kv) { return !kv.second.owned && !Running(kv.second); });
    }

    std::mutex mutex_;
    std::map<DWORD, Entry> entries_;
};

Children& TheChildren() {
    static Children children;
    return children;
}

// Handles become inheritable only inside this lock and only for the one
// CreateProcessW they are meant for: two workers starting plugins at once
// must not hand each other's pipe ends on, or a pipe would not break when its
// plugin ends. The handle list says the same to systems that honour it.
std::mutex& InheritLock() {
    static std::mutex lock;
    return lock;
}

struct AttributeList {
    std::vector<char> bytes;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    explicit AttributeList(HANDLE* handles, std::size_t count) {
        SIZE_T size = 0;
        ::InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        bytes.resize(size);
        auto* candidate = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(bytes.data());
        if (!::InitializeProcThreadAttributeList(candidate, 1, 0, &size)) return;
        list = candidate;
        if (!::UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                         count * sizeof(HANDLE), nullptr, nullptr)) {
            ::DeleteProcThreadAttributeList(list);
            list = nullptr;
        }
    }
    ~AttributeList() {
        if (list) ::DeleteProcThreadAttributeList(list);
    }
};

[[noreturn]] void ThrowLastError(std::string_view what) {
    throw Error(win32::SystemErrorText(::GetLastError()) + ": " + std::string(what));
}

std::pair<UniqueHandle, UniqueHandle> MakePipe(std::string_view command_line) {
    HANDLE read = nullptr, write = nullptr;
    if (!::CreatePipe(&read, &write, nullptr, kPipeBuffer)) ThrowLastError(command_line);
    return {UniqueHandle(read), UniqueHandle(write)};
}

}  // namespace

ChildProcess::ChildProcess(std::string_view command_line, std::string_view folder)
    : handles_(std::make_unique<Handles>()) {
    auto wide_command = win32::TryCp932ToWide(command_line);
    if (!wide_command) throw Error("コマンドラインを変換できません: " + std::string(command_line));
    std::wstring wide_folder = win32::WidePath(folder);

    auto [out_read, out_write] = MakePipe(command_line);
    auto [err_read, err_write] = MakePipe(command_line);
    UniqueHandle null_input(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr));
    if (null_input.get() == INVALID_HANDLE_VALUE) ThrowLastError(command_line);

    UniqueHandle job(::CreateJobObjectW(nullptr, nullptr));
    if (!job) ThrowLastError(command_line);

    PROCESS_INFORMATION pi{};
    {
        std::lock_guard lock(InheritLock());
        HANDLE inherited[] = {null_input.get(), out_write.get(), err_write.get()};
        for (HANDLE h : inherited)
            ::SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
        AttributeList attributes(inherited, std::size(inherited));

        STARTUPINFOEXW si{};
        si.StartupInfo.cb = sizeof si;
        si.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        si.StartupInfo.wShowWindow = SW_HIDE;
        si.StartupInfo.hStdInput = null_input.get();
        si.StartupInfo.hStdOutput = out_write.get();
        si.StartupInfo.hStdError = err_write.get();
        si.lpAttributeList = attributes.list;
        // Suspended until it is in its job: nothing it starts may escape.
        DWORD flags = CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED |
                      CREATE_UNICODE_ENVIRONMENT;
        if (attributes.list) flags |= EXTENDED_STARTUPINFO_PRESENT;
        const BOOL started = ::CreateProcessW(
            nullptr, wide_command->data(), nullptr, nullptr, TRUE, flags, nullptr,
            wide_folder.empty() ? nullptr : wide_folder.c_str(), &si.StartupInfo, &pi);
        const DWORD error = ::GetLastError();
        // Our copies of the child's ends go now: the pipes break when the
        // plugin (and whatever inherited them from it) has ended.
        out_write.reset();
        err_write.reset();
        null_input.reset();
        if (!started) throw Error(win32::SystemErrorText(error) + ": " + std::string(command_line));
    }
    UniqueHandle process(pi.hProcess);
    UniqueHandle thread(pi.hThread);
    // A host that runs in a job of its own on a system without nested jobs
    // cannot put the child in ours: the child then runs alone, and the last
    // resort ends the plugin only.
    if (!::AssignProcessToJobObject(job.get(), process.get())) job.reset();
    if (::ResumeThread(thread.get()) == static_cast<DWORD>(-1)) {
        const DWORD error = ::GetLastError();
        ::TerminateProcess(process.get(), kKilledExitCode);
        throw Error(win32::SystemErrorText(error) + ": " + std::string(command_line));
    }

    HANDLE listed = nullptr;
    ::DuplicateHandle(::GetCurrentProcess(), process.get(), ::GetCurrentProcess(), &listed, 0,
                      FALSE, DUPLICATE_SAME_ACCESS);
    pid_ = pi.dwProcessId;
    TheChildren().Add(pi.dwProcessId, UniqueHandle(listed), std::move(job));
    handles_->process = std::move(process);
    handles_->out = std::move(out_read);
    handles_->err = std::move(err_read);
}

ChildProcess::~ChildProcess() {
    TheChildren().Release(pid_);
}

namespace {

// Bytes waiting in a pipe; nothing when the pipe is broken and empty.
std::optional<DWORD> Waiting(HANDLE pipe) {
    DWORD available = 0;
    if (!::PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return std::nullopt;
    return available;
}

}  // namespace

void ChildProcess::Wait(int timeout_ms) {
    const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(std::max(timeout_ms, 0));
    DWORD gap = 1;
    for (;;) {
        // Output waiting, or a pipe just broken (Drain notes that), is news.
        for (UniqueHandle* pipe : {&handles_->out, &handles_->err}) {
            if (!*pipe) continue;
            auto waiting = Waiting(pipe->get());
            if (!waiting || *waiting > 0) return;
        }
        const ULONGLONG now = ::GetTickCount64();
        if (now >= deadline) return;
        const DWORD sleep = static_cast<DWORD>(std::min<ULONGLONG>(gap, deadline - now));
        if (exit_code_) {
            ::Sleep(sleep);
        } else if (::WaitForSingleObject(handles_->process.get(), sleep) == WAIT_OBJECT_0) {
            return;
        }
        // A quiet plugin is looked at less and less often.
        gap = std::min(gap * 2, kLongestPeekGapMs);
    }
}

void ChildProcess::Drain(const Sink& out, const Sink& err, std::size_t limit) {
    char buf[65536];
    for (auto [pipe, sink] : {std::pair{&handles_->out, &out}, std::pair{&handles_->err, &err}}) {
        std::size_t taken = 0;
        while (*pipe && taken < limit) {
            auto waiting = Waiting(pipe->get());
            if (!waiting) {
                pipe->reset();  // every writer closed its end
                break;
            }
            if (*waiting == 0) break;
            // Only what is waiting is read, so the read cannot block.
            DWORD got = 0;
            const DWORD want = std::min<DWORD>(*waiting, sizeof buf);
            if (!::ReadFile(pipe->get(), buf, want, &got, nullptr) || got == 0) {
                pipe->reset();
                break;
            }
            taken += got;
            (*sink)(std::string_view(buf, got));
        }
    }
}

bool ChildProcess::HasExited() {
    if (exit_code_) return true;
    if (::WaitForSingleObject(handles_->process.get(), 0) != WAIT_OBJECT_0) return false;
    DWORD code = 0;
    ::GetExitCodeProcess(handles_->process.get(), &code);
    exit_code_ = static_cast<int>(code);
    return true;
}

void ChildProcess::Break() {
    BreakProcessGroup(id());
}

void ChildProcess::Kill() {
    KillProcessGroup(id());
}

void BreakProcessGroup(std::uint32_t pid) {
    if (pid > 0) TheChildren().Break(pid);
}

void KillProcessGroup(std::uint32_t pid) {
    if (pid > 0) TheChildren().Kill(pid);
}

}  // namespace drwa::platform
