// Receiving several groups at once: up to THREAD_COUNT workers, each in a
// numbered slot, driven from the host's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "receive/hand_over.h"
#include "receive/jushin_thread.h"
#include "receive/receive_job.h"

namespace drwa::receive {

// How long past its time limit a worker whose plugin ignores the break may
// take before the plugin's whole process group is killed.
inline constexpr std::int32_t kHardLimitGraceMs = 60000;

class TJushinThreadControl {
  public:
    // A job's SlotNumber (the group's THREAD_NUMBER) is its preferred slot; a
    // number outside 1..slot_count means no preference (such a job would never
    // run otherwise).
    TJushinThreadControl(const std::vector<ReceiveJob>& jobs, std::int32_t slot_count,
                         std::int32_t grace_ms = kHardLimitGraceMs);
    ~TJushinThreadControl();
    TJushinThreadControl(const TJushinThreadControl&) = delete;
    TJushinThreadControl& operator=(const TJushinThreadControl&) = delete;

    // Runs every job; returns the abort flag (a non-zero low byte: the receive
    // was stopped, by the host or because a worker did not finish).
    std::int32_t RunWorkers();

  private:
    void ReportRemainingWorkers();
    void EnforceTimeLimits();
    void ReapFinished();
    // Breaks every running worker's plugin; false when no slot is occupied.
    bool StopAll();
    void Dispatch();
    void Release(std::size_t slot);
    int NextWakeMs() const;

    // Host's thread only.
    std::int32_t aborted_ = 0;
    std::int32_t remaining_;
    const std::int32_t slot_count_;
    const std::int32_t grace_ms_;
    std::vector<std::unique_ptr<TJushinThread>> workers_;  // index = slot - 1
    std::vector<ReceiveJob> jobs_;
    // Shared with the workers; thread-safe itself.
    HandOverQueue queue_;
};

}  // namespace drwa::receive
