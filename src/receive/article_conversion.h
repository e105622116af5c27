// The conversion step of a receive job.
#pragma once

#include "receive/receive_job.h"

namespace drwa::receive {

// Converts the group's article files into mail files, telling the host how it
// goes (the host cannot stop a conversion once it started). Fills the job's
// StatusPrefix. Errors propagate; unconverted files stay for the next receive.
void ConvertArticleFiles(ReceiveJob& job);

}  // namespace drwa::receive
