// A DLL for the module tests: the platform layer linked into a library that a
// program loads, as the plugin is loaded by its host. It reports what the
// layer sees from inside the DLL.
#include <cstdint>
#include <cstring>

#include "platform/shared_memory.h"
#include "platform/system.h"

extern "C" {

__declspec(dllexport) std::uintptr_t ProbeModuleHandle() {
    return drwa::platform::ModuleHandle();
}

__declspec(dllexport) int ProbeModulePath(char* out, int size) {
    const std::string path = drwa::platform::ModulePath();
    if (static_cast<int>(path.size()) >= size) return -1;
    std::memcpy(out, path.c_str(), path.size() + 1);
    return static_cast<int>(path.size());
}

__declspec(dllexport) void ProbeKeepLoaded() {
    drwa::platform::KeepModuleLoaded();
}

// The byte at `index` of the named block as this DLL's own registry opens it,
// after adding one to the byte at `index` + 1.
__declspec(dllexport) int ProbeSharedByte(const char* name, int index) {
    drwa::platform::SharedMemory block(name, 524);
    ++block.data()[index + 1];
    return block.data()[index];
}
}
