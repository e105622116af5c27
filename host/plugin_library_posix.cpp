// Loading the library with dlopen. Shared objects have no ordinals: a host
// on this system finds the exports by name only.
#include <dlfcn.h>

#include <stdexcept>

#include "plugin_library.h"

namespace drwa_host {

PluginLibrary::PluginLibrary(const std::string& path, Lookup lookup)
    : handle_(dlopen(path.c_str(), RTLD_NOW)), lookup_(lookup) {
    if (!handle_) throw std::runtime_error("cannot load " + path + ": " + dlerror());
    if (lookup == Lookup::kByOrdinal)
        throw std::runtime_error("a shared object has no ordinals: --by-ordinal is for the DLL");
}

void PluginLibrary::Closer::operator()(void* handle) const {
    dlclose(handle);
}

void* PluginLibrary::ByName(const char* name) const {
    return dlsym(handle_.get(), name);
}

void* PluginLibrary::ByOrdinal(int) const {
    return nullptr;
}

bool PluginLibrary::HasOrdinals() {
    return false;
}

}  // namespace drwa_host
