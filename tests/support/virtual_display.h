// A virtual X display (Xvfb) for the length of a test, on a display number
// the server picks itself, so that tests running at once never share one.
#pragma once

#include <sys/types.h>

#include <string>

namespace drwa::testing {

class VirtualDisplay {
  public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    // ":N", or empty when no server could be started (no Xvfb installed).
    const std::string& name() const { return name_; }

  private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace drwa::testing
