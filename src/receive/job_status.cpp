#include "receive/job_status.h"

namespace drwa::receive {

std::int32_t SendJobStatus(const ReceiveJob& job, const std::string& text) {
    if (!job.Callback) return 0;
    if (job.Worker) return job.Worker->HandOverStatus(text);
    std::int32_t abort = 0;
    job.Callback(text.c_str(), &abort);
    return abort;
}

}  // namespace drwa::receive
