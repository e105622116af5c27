// One group's receive work, as the driver builds it and the runner, the pool
// and the conversion use it.
#pragma once

#include <cstdint>
#include <string>

#include "drwa_plugin.h"

namespace drwa::receive {

// What the runner needs of the receive worker it runs on. The pool's worker
// implements it; in one-after-another mode there is none.
class WorkerLink {
  public:
    virtual ~WorkerLink() = default;
    // The pool told this worker to end (time limit or abort).
    virtual bool TerminateRequested() const = 0;
    // Has the host's thread pass `line` to the host; returns the abort flag the
    // host left (a non-zero low byte asks to stop). Blocks until then.
    virtual std::int32_t HandOverStatus(const std::string& line) = 0;
    // The plugin of the worker's job started as this process (group leader).
    virtual void PluginStarted(std::uint32_t process_id) = 0;
};

struct ReceiveJob {
    std::string AccountIniPath;   // as the host passed it
    std::string GroupIniPath;     // group folder + "drwa_BBS.ini"
    std::string CommandLine;      // the article plugin's command line
    std::string StatusPrefix;     // filled by the article conversion
    std::int32_t SlotNumber = 0;  // THREAD_NUMBER; 0 = no preference
    ProgressCallback Callback = nullptr;
    WorkerLink* Worker = nullptr;
    std::uint32_t ProcessId = 0;  // the plugin's process, once started
};

}  // namespace drwa::receive
