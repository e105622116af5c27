#include "receive/jushin_thread.h"

#include <exception>

#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "platform/system.h"
#include "receive/article_conversion.h"
#include "receive/plugin_runner.h"
#include "receive/receive_error_mail.h"

namespace drwa::receive {
namespace {
namespace keys = config::keys;
}

TJushinThread::TJushinThread(const ReceiveJob& job, HandOverQueue& queue)
    : job_(job),
      queue_(queue),
      start_tick_(platform::MonotonicMs()),
      time_limit_ms_(config::IniFile(job.AccountIniPath)
                         .ReadInteger(keys::kPlugin, keys::kTimeout2, keys::kDefaultTimeout2) *
                     1000),
      convert_on_abort_(config::IniFile(job.AccountIniPath)
                            .ReadBool(keys::kPlugin, keys::kAbortTransLog, false)) {
    job_.Worker = this;
}

TJushinThread::~TJushinThread() {
    if (thread_.joinable()) thread_.join();
}

void TJushinThread::Start() {
    thread_ = std::thread([this] { Execute(); });
}

bool TJushinThread::TerminateRequested() const {
    return terminate_.load();
}

std::int32_t TJushinThread::HandOverStatus(const std::string& line) {
    abort_requested_ = 0;
    status_text_ = line;
    queue_.RunOnHostThread([this] {
        if (!job_.Callback || job_.SlotNumber <= 0) return;
        // The slot number as the text's first byte tells the host whose line it is.
        const std::string text = std::string(1, static_cast<char>(job_.SlotNumber)) + status_text_;
        job_.Callback(text.c_str(), &abort_requested_);
    });
    return abort_requested_;
}

void TJushinThread::PluginStarted(std::uint32_t process_id) {
    process_id_.store(process_id);
}

void TJushinThread::RequestTerminate() {
    terminate_.store(true);
}

void TJushinThread::MarkKilled() {
    killed_.store(true);
}

bool TJushinThread::Finished() const {
    return finished_.load();
}

std::int32_t TJushinThread::Outcome() const {
    return outcome_.load();
}

std::uint32_t TJushinThread::ProcessId() const {
    return process_id_.load();
}

void TJushinThread::Execute() {
    std::int32_t outcome = kStopped;
    try {
        outcome = RunGroupPlugin(job_) ? kFinished : kStopped;
        if (!killed_.load() && (outcome == kFinished || convert_on_abort_))
            ConvertArticleFiles(job_);
    } catch (const std::exception& e) {
        // The group fails alone: its error becomes a mail, the others go on.
        if (!killed_.load()) {
            try {
                WriteReceiveErrorMail(e.what(), job_.AccountIniPath, job_.GroupIniPath);
            } catch (...) {
            }
        }
        outcome = killed_.load() ? kStopped : kFinished;
    }
    outcome_.store(outcome);
    terminate_.store(true);
    finished_.store(true);
    queue_.Notify();
}

}  // namespace drwa::receive
