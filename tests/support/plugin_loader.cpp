#include "support/plugin_loader.h"

#include <dlfcn.h>

#include <stdexcept>

namespace drwa::testing {

LoadedPlugin::LoadedPlugin(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(std::string("dlopen: ") + dlerror());
}

LoadedPlugin::~LoadedPlugin() { dlclose(handle_); }

void* LoadedPlugin::Symbol(const char* name) const {
    void* s = dlsym(handle_, name);
    if (!s) throw std::runtime_error(std::string("no export ") + name);
    return s;
}

std::string LoadedPlugin::LastError() const {
    char text[256] = {};
    if (Get<decltype(GetPluginLastError)>("GetPluginLastError")(text) != 0)
        throw std::runtime_error("GetPluginLastError failed");
    return text;
}

}  // namespace drwa::testing
