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

    // Whether the console given to the process here has a window that could
    // show. A console without one never gets one: there is then nothing to
    // keep hidden, ever.
    bool HasWindow() const { return window_; }

  private:
    bool allocated_ = false;
    bool window_ = false;
};

// Keeps the library's code loaded while a thread of its own runs. Where the
// unloading code cannot wait for the library's threads (Windows runs the
// library's destructors under its loader lock, which a thread needs to end:
// waiting for it there never returns), the thread holds the library instead,
// so an unload waits for the thread rather than the other way round; the hold
// is given back as the thread's very last act. Elsewhere it holds nothing, and
// neither does it in a program, which is never unloaded.
class ThreadModuleHold {
  public:
    // Taken before the thread starts, and moved into the thread's own state:
    // nothing of the object that started it is needed once its work is done.
    ThreadModuleHold();
    ThreadModuleHold(ThreadModuleHold&& other) noexcept : module_(other.module_) {
        other.module_ = nullptr;
    }
    ThreadModuleHold& operator=(ThreadModuleHold&&) = delete;

    // True while it holds the library: an unload cannot tell the thread to
    // end then, as it comes only after the thread has ended.
    bool holds() const { return module_ != nullptr; }

    // Called on the holding thread when its work is done: where there is a
    // hold, the thread ends here with the hold given back, so that no code of
    // the library runs on it once the library may be gone; elsewhere returns.
    void EndThread();

  private:
    void* module_ = nullptr;
};

}  // namespace drwa::platform
