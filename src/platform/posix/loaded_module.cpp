#include "platform/loaded_module.h"

#include <dlfcn.h>

#include <string_view>

#include "common/error.h"
#include "platform/charset_edge.h"
#include "platform/files.h"

namespace drwa::platform {

LoadedModule::LoadedModule(const std::string& path) {
    // Local: the module's symbols must not stand in for the library's own,
    // nor for those of another copy of the module.
    const std::string native = NativePath(path).string();
    handle_ = ::dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* given = ::dlerror();
        std::string_view reason = given ? given : "";
        // The caller names the file already: only the reason is told.
        if (reason.starts_with(native + ": ")) reason.remove_prefix(native.size() + 2);
        throw Error(TryUtf8ToCp932(reason).value_or(std::string(reason)));
    }
}

LoadedModule::~LoadedModule() {
    ::dlclose(handle_);
}

void* LoadedModule::Find(const char* name) const {
    return ::dlsym(handle_, name);
}

}  // namespace drwa::platform
