// The host's progress callback: shows the library's status texts on the
// terminal, appends them to the trace file, and carries Ctrl-C to the library
// as its stop request.
#pragma once

#include <optional>
#include <string>

#include "drwa_plugin.h"

namespace drwa_host {

class ProgressDisplay {
  public:
    // Installs the Ctrl-C handler for as long as the display lives.
    explicit ProgressDisplay(const std::optional<std::string>& trace_file);
    ~ProgressDisplay();
    ProgressDisplay(const ProgressDisplay&) = delete;
    ProgressDisplay& operator=(const ProgressDisplay&) = delete;

    // The function to hand to the library.
    static ProgressCallback callback();

    // True once the user pressed Ctrl-C.
    static bool StopRequested();
};

}  // namespace drwa_host
