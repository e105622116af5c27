// The DLL's entry point learns from the loader why it is being unloaded; the
// C runtime calls it before the destructors of static objects run.
#include "platform/process_end.h"

#include <windows.h>

#include <atomic>

namespace {
std::atomic<bool> process_ending{false};
}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    // A non-null `reserved` on detach: the process is ending, not FreeLibrary.
    if (reason == DLL_PROCESS_DETACH && reserved) process_ending = true;
    return TRUE;
}

namespace drwa::platform {

bool ProcessIsEnding() {
    return process_ending;
}

}  // namespace drwa::platform
