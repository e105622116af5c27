// A host progress callback that records every text it is given and can ask
// to stop when a text matches. One recorder is active at a time.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "drwa_plugin.h"

namespace drwa::testing {

class ProgressRecorder {
  public:
    ProgressRecorder();
    ~ProgressRecorder();
    ProgressRecorder(const ProgressRecorder&) = delete;
    ProgressRecorder& operator=(const ProgressRecorder&) = delete;

    // The callback to hand to the library.
    static ProgressCallback callback();

    // Asks to stop (sets the abort flag) when `when` returns true for a text.
    void AbortWhen(std::function<bool(const std::string&)> when);

    std::vector<std::string> texts() const;
    // True when some text contains `part`.
    bool Saw(const std::string& part) const;
    // The thread that made each call, to check that only one thread calls.
    std::vector<std::size_t> callers() const;

  private:
    static void DRWA_CALL Record(const char* text, int32_t* abort_flag);

    mutable std::mutex mutex_;
    std::vector<std::string> texts_;
    std::vector<std::size_t> callers_;
    std::function<bool(const std::string&)> abort_when_;
};

}  // namespace drwa::testing
