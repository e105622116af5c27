#include "plugin_library.h"

#include "terminal_text.h"

namespace drwa_host {

PluginLibrary::PluginLibrary(const std::string& path) : handle_(dlopen(path.c_str(), RTLD_NOW)) {
    if (!handle_) throw std::runtime_error(std::string("cannot load ") + path + ": " + dlerror());
}

std::string PluginLibrary::LastError() const {
    char text[256] = {};
    if (Get<decltype(GetPluginLastError)>("GetPluginLastError")(text) != 0)
        return "(the error record cannot be read)";
    return ToUtf8(text);
}

}  // namespace drwa_host
