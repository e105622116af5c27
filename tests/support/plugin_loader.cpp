#include "support/plugin_loader.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace drwa::testing {

#ifdef _WIN32

// The path is CP932, as the library's own paths; LoadLibraryW takes UTF-16.
LoadedPlugin::LoadedPlugin(const std::string& path) {
    std::wstring wide(path.size() + 1, L'\0');
    const int n =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, path.data(), static_cast<int>(path.size()),
                            wide.data(), static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    handle_ = LoadLibraryW(wide.c_str());
    if (!handle_)
        throw std::runtime_error("LoadLibraryW " + path + ": error " +
                                 std::to_string(GetLastError()));
}

LoadedPlugin::~LoadedPlugin() {
    FreeLibrary(static_cast<HMODULE>(handle_));
}

void* LoadedPlugin::Symbol(const char* name) const {
    FARPROC s = GetProcAddress(static_cast<HMODULE>(handle_), name);
    if (!s) throw std::runtime_error(std::string("no export ") + name);
    return reinterpret_cast<void*>(s);
}

#else

LoadedPlugin::LoadedPlugin(const std::string& path)
    : handle_(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    if (!handle_) throw std::runtime_error(std::string("dlopen: ") + dlerror());
}

LoadedPlugin::~LoadedPlugin() {
    dlclose(handle_);
}

void* LoadedPlugin::Symbol(const char* name) const {
    void* s = dlsym(handle_, name);
    if (!s) throw std::runtime_error(std::string("no export ") + name);
    return s;
}

#endif

std::string LoadedPlugin::LastError() const {
    char text[256] = {};
    if (Get<decltype(GetPluginLastError)>("GetPluginLastError")(text) != 0)
        throw std::runtime_error("GetPluginLastError failed");
    return text;
}

}  // namespace drwa::testing
