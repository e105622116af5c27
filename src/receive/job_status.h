// Status texts of a receive job on their way to the host.
#pragma once

#include <cstdint>
#include <string>

#include "receive/receive_job.h"

namespace drwa::receive {

// Passes `text` to the job's host callback: directly on the host's thread, or
// through the worker's hand-over from a receive worker. Returns the abort flag
// the host left; without a callback nothing is sent and the answer is 0.
std::int32_t SendJobStatus(const ReceiveJob& job, const std::string& text);

}  // namespace drwa::receive
