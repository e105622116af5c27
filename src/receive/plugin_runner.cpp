#include "receive/plugin_runner.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/error.h"
#include "config/file_search.h"
#include "config/folders.h"
#include "platform/files.h"
#include "platform/process.h"
#include "platform/system.h"
#include "receive/job_status.h"
#include "receive/plugin_output.h"
#include "receive/post_request_pruner.h"

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
    explicit RunState(std::string folder)
        : group_folder(std::move(folder)),
          errors(config::FileIn(group_folder, config::kErrorLogFile)) {}

    std::string group_folder;
    std::string group_name;  // the group folder's own name
    std::string base_name;   // the name of the folder two levels up
    PluginOutput output;     // standard output not yet reported
    std::string status;      // the text last reported
    // The unfinished line was shown: as it grows it is shown again only when
    // the report interval has passed since the last report.
    bool unfinished_shown = false;
    ErrorLogWriter errors;  // standard error, into the group's error log
    std::uint64_t last_report_ms = 0;

    // Where the bytes of the two pipes go.
    platform::ChildProcess::Sink OutputSink() {
        return [this](std::string_view bytes) { output.Feed(bytes); };
    }
    platform::ChildProcess::Sink ErrorSink() {
        return [this](std::string_view bytes) { errors.Feed(bytes); };
    }
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

// A worker that was told to stop stays with its plugin until the plugin has
// ended, so that nothing keeps writing into the group folder unwatched; the
// pool ends a plugin that ignores the break at its hard time limit. What the
// plugin still prints is not shown any more.
bool StopRun(ReceiveJob& job, RunState& st, platform::ChildProcess& child) {
    if (job.Worker) {
        const platform::ChildProcess::Sink drop = [](std::string_view) {};
        while (!child.HasExited()) {
            child.Wait(kIdleWaitMs);
            child.Drain(drop, st.ErrorSink());
        }
    }
    return false;
}

bool FinishRun(ReceiveJob& job, RunState& st, platform::ChildProcess& child) {
    // Whatever is left, several lines or a partial one, goes out as one status.
    st.output.CollectAll();
    child.Drain(st.OutputSink(), st.ErrorSink());
    st.status = std::string(st.output.Unfinished());
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
    RunState st(config::FolderOfFile(job.GroupIniPath));
    const config::GroupLabel label = config::GroupLabelOf(st.group_folder);
    st.group_name = label.group;
    st.base_name = label.base;
    // Without a host nothing is reported: the output is only kept as one text.
    if (!job.Callback) st.output.CollectAll();

    // The plugin writes a fresh status file each run; an old one would be
    // taken for this run's.
    const std::string status_file = config::FileIn(st.group_folder, config::kPluginStatusFile);
    if (platform::FileExists(status_file)) platform::DeleteFile(status_file);

    platform::ChildProcess child(job.CommandLine, st.group_folder);
    job.ProcessId = child.id();
    if (job.Worker) job.Worker->PluginStarted(child.id());
    st.last_report_ms = platform::MonotonicMs();
    const platform::ChildProcess::Sink out = st.OutputSink(), err = st.ErrorSink();

    for (;;) {
        if (child.HasExited()) return FinishRun(job, st, child);
        // Without a callback nothing is reported, so a worker looks here.
        if (job.Worker && job.Worker->TerminateRequested()) {
            child.Break();
            return StopRun(job, st, child);
        }

        int wait_ms = kIdleWaitMs;
        if (job.Callback && (st.status == st.output.Unfinished() || st.unfinished_shown)) {
            const std::uint64_t due = st.last_report_ms + kSilentReportMs;
            const std::uint64_t now = platform::MonotonicMs();
            wait_ms =
                now >= due ? 0 : static_cast<int>(std::min<std::uint64_t>(due - now, wait_ms));
        }
        child.Wait(wait_ms);
        child.Drain(out, err);
        if (!job.Callback) continue;

        for (std::string line; st.output.NextLine(line);) {
            st.status = std::move(line);
            st.unfinished_shown = false;
            if (!ReportPluginStatus(job, st, child)) return StopRun(job, st, child);
        }

        const std::uint64_t now = platform::MonotonicMs();
        const std::uint64_t silent = now - st.last_report_ms;
        const bool quiet = silent < static_cast<std::uint64_t>(kSilentReportMs);
        const std::string_view unfinished = st.output.Unfinished();
        if (st.status == unfinished && quiet) continue;
        // A line that keeps growing without an end is shown once as it
        // starts, then once per report interval: never again and again whole.
        if (st.unfinished_shown && !unfinished.empty() && quiet) continue;
        st.last_report_ms = now;
        st.status = std::string(unfinished);
        st.unfinished_shown = !st.status.empty();
        if (!quiet && st.status.empty()) st.status = "3秒経過....";
        if (!ReportPluginStatus(job, st, child)) return StopRun(job, st, child);
    }
}

}  // namespace drwa::receive
