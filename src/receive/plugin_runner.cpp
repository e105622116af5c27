#include "receive/plugin_runner.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "config/text_helpers.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "receive/job_status.h"
#include "receive/post_request_pruner.h"
#include "text/sjis_bytes.h"

namespace drwa::receive {
namespace {

// Longest sleep between two looks at the worker's stop request while nothing
// happens; output and the plugin's exit wake the wait at once.
constexpr int kIdleWaitMs = 100;

const std::string kFinished = "受信正常終了";

// Blanks and control characters at both ends go, as a status line shows them.
std::string_view TrimControls(std::string_view s) {
    while (!s.empty() && static_cast<unsigned char>(s.front()) <= ' ') s.remove_prefix(1);
    while (!s.empty() && static_cast<unsigned char>(s.back()) <= ' ') s.remove_suffix(1);
    return s;
}

struct RunState {
    std::string group_folder;
    std::string group_name;  // the group folder's own name
    std::string base_name;   // the name of the folder two levels up
    std::string output;      // standard output not yet reported
    std::string status;      // the text last reported
    std::string errors;      // everything the plugin wrote to standard error
    std::uint64_t last_report_ms = 0;
};

// Reports the current status to the host; false when the host (or the pool)
// asks to stop, after the plugin got the break.
bool ReportPluginStatus(ReceiveJob& job, RunState& st, platform::ChildProcess& child) {
    if (job.Worker && job.Worker->TerminateRequested()) {
        child.Break();
        return false;
    }
    const std::string_view trimmed = TrimControls(st.status);
    if (trimmed.empty() || !job.Callback) return true;

    std::string line = st.base_name + " " + st.group_name;
    if (st.status == kFinished)
        line += " " + kFinished;
    else
        line += " 受信中 " + std::string(trimmed);

    std::int32_t abort = 0;
    if (job.Worker)
        abort = job.Worker->HandOverStatus(line);
    else
        job.Callback(line.c_str(), &abort);
    if ((abort & 0xFF) != 0) {
        child.Break();
        return false;
    }
    return true;
}

// The plugin's error output replaces the group's error log, its lines ended
// by CR LF. A run that wrote nothing there keeps the earlier log. Lines are
// kept whole however the bytes arrived.
void SaveErrorLog(const RunState& st) noexcept {
    try {
        if (st.errors.empty()) return;
        const std::string log = config::JoinLinesCrLf(config::SplitLines(st.errors));
        platform::WriteFileAtomic(config::FileIn(st.group_folder, config::kErrorLogFile), log);
    } catch (...) {
        // A log that cannot be written must not hide the run's own outcome.
    }
}

class ErrorLogGuard {
  public:
    explicit ErrorLogGuard(const RunState& st) : st_(st) {}
    ~ErrorLogGuard() { SaveErrorLog(st_); }
    ErrorLogGuard(const ErrorLogGuard&) = delete;
    ErrorLogGuard& operator=(const ErrorLogGuard&) = delete;

  private:
    const RunState& st_;
};

// A worker that was told to stop stays with its plugin until the plugin has
// ended, so that nothing keeps writing into the group folder unwatched; the
// pool ends a plugin that ignores the break at its hard time limit.
bool StopRun(ReceiveJob& job, RunState& st, platform::ChildProcess& child) {
    if (job.Worker) {
        while (!child.HasExited()) {
            child.Wait(kIdleWaitMs);
            child.Drain(st.output, st.errors);
        }
    }
    return false;
}

bool FinishRun(ReceiveJob& job, RunState& st, platform::ChildProcess& child) {
    child.Drain(st.output, st.errors);
    // Whatever is left, several lines or a partial one, goes out as one status.
    st.status = st.output;
    if (!st.status.empty() && !ReportPluginStatus(job, st, child)) return StopRun(job, st, child);

    const int code = child.ExitCode().value_or(0);
    if (code != 0) throw Error("プラグインの実行エラー 終了コード:" + std::to_string(code));

    st.status = "cmwファイル削除";
    ReportPluginStatus(job, st, child);
    std::vector<std::string> requests;
    config::FindPostRequestFiles(st.group_folder, requests);
    for (const auto& path : requests) PrunePostRequestFile(path);

    st.status = kFinished;
    ReportPluginStatus(job, st, child);
    return true;
}

}  // namespace

bool RunGroupPlugin(ReceiveJob& job) {
    RunState st;
    st.group_folder = config::FolderOfFile(job.GroupIniPath);
    const config::GroupLabel label = config::GroupLabelOf(st.group_folder);
    st.group_name = label.group;
    st.base_name = label.base;
    ErrorLogGuard save_errors(st);

    // The plugin writes a fresh status file each run; an old one would be
    // taken for this run's.
    const std::string status_file = config::FileIn(st.group_folder, config::kPluginStatusFile);
    if (platform::FileExists(status_file)) platform::DeleteFile(status_file);

    platform::ChildProcess child(job.CommandLine, st.group_folder);
    job.ProcessId = child.id();
    if (job.Worker) job.Worker->PluginStarted(child.id());
    st.last_report_ms = platform::MonotonicMs();

    for (;;) {
        if (child.HasExited()) return FinishRun(job, st, child);
        // Without a callback nothing is reported, so a worker looks here.
        if (job.Worker && job.Worker->TerminateRequested()) {
            child.Break();
            return StopRun(job, st, child);
        }

        int wait_ms = kIdleWaitMs;
        if (job.Callback && st.status == st.output) {
            const std::uint64_t due = st.last_report_ms + kSilentReportMs;
            const std::uint64_t now = platform::MonotonicMs();
            wait_ms =
                now >= due ? 0 : static_cast<int>(std::min<std::uint64_t>(due - now, wait_ms));
        }
        child.Wait(wait_ms);
        child.Drain(st.output, st.errors);
        if (!job.Callback) continue;

        for (std::size_t eol; (eol = st.output.find("\r\n")) != std::string::npos;) {
            st.status = st.output.substr(0, eol);
            st.output.erase(0, eol + 2);
            if (!ReportPluginStatus(job, st, child)) return StopRun(job, st, child);
        }

        const std::uint64_t now = platform::MonotonicMs();
        const std::uint64_t silent = now - st.last_report_ms;
        if (st.status == st.output && silent < static_cast<std::uint64_t>(kSilentReportMs))
            continue;
        st.last_report_ms = now;
        st.status = st.output;
        if (silent >= static_cast<std::uint64_t>(kSilentReportMs) && st.status.empty())
            st.status = "3秒経過....";
        if (!ReportPluginStatus(job, st, child)) return StopRun(job, st, child);
    }
}

}  // namespace drwa::receive
