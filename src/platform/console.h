// The console the library's plugins share with it: where consoles are windows,
// a console of the process's own that the user should not see, through which
// the console break reaches the plugins.
#pragma once

#include <string_view>

namespace drwa::platform {

class ProcessConsole {
  public:
    // Gives the process a console titled `title` when it has none. A console
    // the process already has (a console program loaded the library) is the
    // user's: it is left as it is, neither retitled, hidden nor freed.
    explicit ProcessConsole(std::string_view title);
    // Frees the console this object allocated.
    ~ProcessConsole();
    ProcessConsole(const ProcessConsole&) = delete;
    ProcessConsole& operator=(const ProcessConsole&) = delete;

    // Hides the console's window. False only when a window of ours was found
    // showing: it is hidden now and the next call succeeds. True when it was
    // hidden already or there is no window of ours to hide (no console
    // window on this system, a console without a window, the user's console).
    bool Hide();

  private:
    bool allocated_ = false;
};

}  // namespace drwa::platform
