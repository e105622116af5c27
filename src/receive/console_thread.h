// The library's plugin console and the thread that keeps it hidden.
//
// Plugins share one console of the library's process, through which the
// breaks reach them. Where consoles are windows, the thread hides it as soon
// as it appears and keeps an eye on it for a while. Where there is no window
// to hide, the thread still runs its course and writes its log when the module
// settings ask for one, so the log means the same on every platform; but
// where the thread holds the library loaded (platform::ThreadModuleHold), an
// unload cannot end it, and it ends after its first round instead: running on
// with nothing to hide would only keep the library from being unloaded.
#pragma once

#include <atomic>
#include <string>
#include <thread>

#include "platform/console.h"

namespace drwa::receive {

// The console of the loaded library, titled
// "KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:" + module handle.
class PluginConsole {
  public:
    PluginConsole();
    const std::string& title() const { return title_; }
    // Hides the console; true only when it was found and was not visible.
    bool Hide();
    // False when there is no window of ours that could ever show.
    bool HasWindow() const { return console_.HasWindow(); }

  private:
    std::string title_;
    platform::ProcessConsole console_;  // after the title it is given
};

class TConsoleThread {
  public:
    // Starts at once. Reads the LOG switch of the module settings file.
    explicit TConsoleThread(PluginConsole& console);
    // Tells the thread to end and waits for it; but a thread that holds the
    // library and has finished its work is left to end on its own: all it
    // still does is give the hold back, and an unload that runs this cannot
    // wait for it (an ending thread needs the loader's lock, which the unload
    // holds).
    ~TConsoleThread();
    TConsoleThread(const TConsoleThread&) = delete;
    TConsoleThread& operator=(const TConsoleThread&) = delete;

    // Successes after which the thread ends on its own, and its pauses.
    static constexpr int kSuccessesToEnd = 10;
    static constexpr int kSuccessPauseMs = 1500;
    static constexpr int kFailurePauseMs = 100;

    bool finished() const;

  private:
    TConsoleThread(PluginConsole& console, platform::ThreadModuleHold hold);
    void Execute();
    // Sleeps unless told to terminate first; false when told. It looks at the
    // flag every kPauseSliceMs rather than waiting on a condition variable:
    // where a process's end kills the thread first and runs the library's
    // destructors after (Windows), waking a condition variable the dead
    // thread waited on never returns.
    bool Pause(int ms);
    static constexpr int kPauseSliceMs = 50;

    PluginConsole& console_;
    const std::string log_path_;
    const bool log_;
    const bool holds_library_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::thread thread_;  // last: starts once everything above is set
};

}  // namespace drwa::receive
