#include "receive/console_thread.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "config/folders.h"
#include "config/ini_file.h"
#include "config/settings_keys.h"
#include "platform/files.h"
#include "platform/system.h"

#include <optional>

namespace drwa::receive {
namespace {

// "yy/mm/dd hh:nn:ss", local time.
std::string TimeStamp() {
    const platform::LocalTime t = platform::LocalNow();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d/%02d/%02d %02d:%02d:%02d", t.year % 100, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buf;
}

}  // namespace

PluginConsole::PluginConsole()
    : title_("KVT7R_DRWA_PLUGIN_PLUGIN_CONSOLE:" + std::to_string(platform::ModuleHandle())),
      console_(title_) {}

bool PluginConsole::Hide() {
    return console_.Hide();
}

TConsoleThread::TConsoleThread(PluginConsole& console)
    : TConsoleThread(console, platform::ThreadModuleHold()) {}

TConsoleThread::TConsoleThread(PluginConsole& console, platform::ThreadModuleHold hold)
    : console_(console),
      log_path_(config::ModuleFileWith(".log")),
      log_(config::IniFile(config::ModuleSettingsPath())
               .ReadBool(config::keys::kGeneral, config::keys::kLog, false)),
      holds_library_(hold.holds()),
      thread_([this, hold = std::move(hold)]() mutable {
          Execute();
          hold.EndThread();
      }) {}

TConsoleThread::~TConsoleThread() {
    terminated_.store(true);
    // Where the thread holds the library, its last act may unload it: the
    // library's destructors then run on this very thread, which ends as soon
    // as they are done and cannot wait for itself. A thread that finished its
    // work only gives the hold back and ends: an unload on another thread
    // comes after the hold was given back, while the ending thread may still
    // wait for the loader's lock that the unload holds.
    if (thread_.get_id() == std::this_thread::get_id() || (holds_library_ && finished_.load()))
        thread_.detach();
    else
        thread_.join();
}

bool TConsoleThread::finished() const {
    return finished_.load();
}

bool TConsoleThread::Pause(int ms) {
    for (int left = ms; left > 0; left -= kPauseSliceMs) {
        if (terminated_.load()) return false;
        platform::SleepMs(std::min(left, kPauseSliceMs));
    }
    return !terminated_.load();
}

void TConsoleThread::Execute() {
    std::optional<platform::LineLog> log;
    if (log_) log.emplace(log_path_);
    auto write = [&](const std::string& what) {
        if (log) log->Write(TimeStamp() + ":" + what);
    };
    write("ThreadStart");
    int successes = 0;
    for (;;) {
        write(std::to_string(successes));
        if (!console_.Hide()) {
            write("Failure");
            if (!Pause(kFailurePauseMs)) break;
            continue;
        }
        write("Success");
        if (holds_library_ && !console_.HasWindow()) break;
        if (!Pause(kSuccessPauseMs)) break;
        if (++successes > kSuccessesToEnd) break;
    }
    write("ThreadFinish");
    finished_.store(true);
}

}  // namespace drwa::receive
