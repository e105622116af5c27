// The plugin library as a host sees it: loaded with dlopen, reached only
// through its exported functions.
#pragma once

#include <dlfcn.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "drwa_plugin.h"

namespace drwa_host {

class PluginLibrary {
public:
    explicit PluginLibrary(const std::string& path);

    // The export of that name, typed as declared in drwa_plugin.h; throws when
    // the library lacks it.
    template <typename Fn>
    Fn* Get(const char* name) const {
        void* symbol = dlsym(handle_.get(), name);
        if (!symbol) throw std::runtime_error(std::string("the library has no export ") + name);
        return reinterpret_cast<Fn*>(symbol);
    }

    // The last error of the library, converted to UTF-8.
    std::string LastError() const;

private:
    struct Closer {
        void operator()(void* h) const { dlclose(h); }
    };
    std::unique_ptr<void, Closer> handle_;
};

}  // namespace drwa_host
