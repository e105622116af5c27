#include "platform/console.h"

namespace drwa::platform {

// Plugins get pipes and a process group here; there is no console window that
// could show, so there is nothing to allocate or hide.
ProcessConsole::ProcessConsole(std::string_view) {}

ProcessConsole::~ProcessConsole() = default;

bool ProcessConsole::Hide() {
    return true;
}

// Unloading here waits for the library's threads without harm.
ThreadModuleHold::ThreadModuleHold() = default;

void ThreadModuleHold::EndThread() {}

}  // namespace drwa::platform
