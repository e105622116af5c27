#include "receive/jushin_thread_control.h"

#include <algorithm>

#include "platform/process.h"
#include "platform/system.h"
#include "receive/receive_driver.h"

namespace drwa::receive {
namespace {

// The control loop sleeps at most this long between two passes when nothing
// happens; the host's abort flag is read at every pass.
constexpr int kIdlePassMs = 50;
constexpr std::int32_t kStarted = -1;

}  // namespace

TJushinThreadControl::TJushinThreadControl(const std::vector<ReceiveJob>& jobs,
                                           std::int32_t slot_count, std::int32_t grace_ms)
    : remaining_(static_cast<std::int32_t>(jobs.size())),
      slot_count_(slot_count),
      grace_ms_(grace_ms),
      workers_(static_cast<std::size_t>(std::max(slot_count, 1))),
      jobs_(jobs) {
    for (ReceiveJob& job : jobs_)
        if (job.SlotNumber < 0 || job.SlotNumber > slot_count_) job.SlotNumber = 0;
}

TJushinThreadControl::~TJushinThreadControl() {
    // Workers left (after an abort) end on their own once their plugin ended;
    // keep serving their hand-overs until then.
    for (std::size_t i = 0; i < workers_.size(); ++i) {
        if (!workers_[i]) continue;
        workers_[i]->RequestTerminate();
        while (!workers_[i]->Finished()) {
            queue_.Serve();
            queue_.Wait(kIdlePassMs);
        }
        workers_[i].reset();
    }
}

void TJushinThreadControl::ReportRemainingWorkers() {
    if (jobs_.empty() || !jobs_.front().Callback) return;
    const std::string text =
        AccountName(jobs_.front().AccountIniPath) + " 残スレッド数:" + std::to_string(remaining_);
    jobs_.front().Callback(text.c_str(), &aborted_);
}

void TJushinThreadControl::Release(std::size_t slot) {
    TJushinThread& worker = *workers_[slot];
    while (!worker.Finished()) {
        queue_.Serve();
        queue_.Wait(kIdlePassMs);
    }
    if (worker.Outcome() != TJushinThread::kFinished) aborted_ = 1;
    workers_[slot].reset();  // joins the finished thread
    --remaining_;
}

void TJushinThreadControl::EnforceTimeLimits() {
    const std::uint64_t now = platform::MonotonicMs();
    for (std::size_t slot = 0; slot < workers_.size(); ++slot) {
        queue_.Serve();
        TJushinThread* worker = workers_[slot].get();
        if (!worker || worker->Finished()) continue;
        const std::uint64_t elapsed = now - worker->StartTick();
        const auto limit = static_cast<std::uint64_t>(std::max(worker->TimeLimitMs(), 0));
        if (elapsed > limit + static_cast<std::uint64_t>(grace_ms_)) {
            // Threads cannot be ended from outside: end what the worker waits
            // for, and it ends by itself.
            worker->MarkKilled();
            worker->RequestTerminate();
            platform::KillProcessGroup(worker->ProcessId());
            Release(slot);
        } else if (elapsed > limit && !worker->TerminateRequested()) {
            platform::BreakProcessGroup(worker->ProcessId());
            worker->RequestTerminate();
        }
    }
}

void TJushinThreadControl::ReapFinished() {
    for (std::size_t slot = 0; slot < workers_.size(); ++slot) {
        queue_.Serve();
        if (workers_[slot] && workers_[slot]->Finished()) Release(slot);
    }
}

bool TJushinThreadControl::StopAll() {
    bool any = false;
    for (auto& worker : workers_) {
        if (!worker) continue;
        any = true;
        queue_.Serve();
        if (!worker->break_sent) {
            platform::BreakProcessGroup(worker->ProcessId());
            worker->break_sent = true;
        }
        worker->RequestTerminate();
    }
    return any;
}

void TJushinThreadControl::Dispatch() {
    for (std::int32_t slot = 1; slot <= slot_count_; ++slot) {
        auto& place = workers_[static_cast<std::size_t>(slot - 1)];
        if (place) continue;
        auto pick = std::find_if(jobs_.begin(), jobs_.end(),
                                 [&](const ReceiveJob& j) { return j.SlotNumber == slot; });
        if (pick == jobs_.end())
            pick = std::find_if(jobs_.begin(), jobs_.end(),
                                [](const ReceiveJob& j) { return j.SlotNumber == 0; });
        if (pick == jobs_.end()) continue;
        pick->SlotNumber = slot;
        place = std::make_unique<TJushinThread>(*pick, queue_);
        place->Start();
        pick->SlotNumber = kStarted;
    }
}

int TJushinThreadControl::NextWakeMs() const {
    int wait = kIdlePassMs;
    const std::uint64_t now = platform::MonotonicMs();
    for (const auto& worker : workers_) {
        if (!worker) continue;
        std::uint64_t due = worker->StartTick() + static_cast<std::uint64_t>(worker->TimeLimitMs());
        if (worker->TerminateRequested()) due += static_cast<std::uint64_t>(grace_ms_);
        if (due > now && due - now < static_cast<std::uint64_t>(wait))
            wait = static_cast<int>(due - now) + 1;
    }
    return wait;
}

std::int32_t TJushinThreadControl::RunWorkers() {
    while (remaining_ > 0) {
        queue_.Serve();
        ReportRemainingWorkers();
        queue_.Serve();
        EnforceTimeLimits();
        ReapFinished();
        if ((aborted_ & 0xFF) != 0) {
            if (!StopAll()) break;
        } else {
            Dispatch();
        }
        if (remaining_ > 0) queue_.Wait(NextWakeMs());
    }
    queue_.Serve();
    queue_.Serve();
    return aborted_;
}

}  // namespace drwa::receive
