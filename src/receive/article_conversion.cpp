#include "receive/article_conversion.h"

#include "convert/article_converter.h"
#include "receive/job_status.h"

namespace drwa::receive {

void ConvertArticleFiles(ReceiveJob& job) {
    convert::ConversionReport report;
    if (job.Callback) report = [&job](const std::string& text) { SendJobStatus(job, text); };
    job.StatusPrefix = convert::ConversionStatusPrefix(job.GroupIniPath);
    convert::ConvertGroupArticles(job.AccountIniPath, job.GroupIniPath, report);
}

}  // namespace drwa::receive
