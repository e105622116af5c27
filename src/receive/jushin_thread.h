// One receive worker: runs one group's plugin and converts its articles on a
// thread of its own.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "receive/hand_over.h"
#include "receive/receive_job.h"

namespace drwa::receive {

class TJushinThread : public WorkerLink {
  public:
    enum : std::int32_t { kRunning = -1, kStopped = 0, kFinished = 1 };

    // Created suspended; the job is the worker's own copy, its slot included.
    TJushinThread(const ReceiveJob& job, HandOverQueue& queue);
    // Waits for the thread; call only once Finished() (or never started).
    ~TJushinThread();
    TJushinThread(const TJushinThread&) = delete;
    TJushinThread& operator=(const TJushinThread&) = delete;

    void Start();

    // WorkerLink, for the runner and the conversion on the worker's thread.
    bool TerminateRequested() const override;
    std::int32_t HandOverStatus(const std::string& line) override;
    void PluginStarted(std::uint32_t process_id) override;

    // For the host's thread.
    void RequestTerminate();
    // The plugin was killed at the hard limit: nothing of the group is
    // converted and no error mail is written.
    void MarkKilled();
    bool Finished() const;
    std::int32_t Outcome() const;
    std::uint32_t ProcessId() const;
    std::int32_t Slot() const { return job_.SlotNumber; }
    std::uint64_t StartTick() const { return start_tick_; }
    std::int32_t TimeLimitMs() const { return time_limit_ms_; }
    bool break_sent = false;  // host thread only: the stop break went out once

  private:
    void Execute();

    // Written before Start, then read by the worker; the host reads the
    // constant parts.
    ReceiveJob job_;
    HandOverQueue& queue_;
    const std::uint64_t start_tick_;
    const std::int32_t time_limit_ms_;
    const bool convert_on_abort_;

    // Shared between the worker and the host's thread.
    std::atomic<bool> terminate_{false};
    std::atomic<bool> killed_{false};
    std::atomic<bool> finished_{false};
    std::atomic<std::int32_t> outcome_{kRunning};
    std::atomic<std::uint32_t> process_id_{0};

    // Worker thread only, outside hand-overs; the host's thread during one.
    std::int32_t abort_requested_ = 0;
    std::string status_text_;

    std::thread thread_;
};

}  // namespace drwa::receive
