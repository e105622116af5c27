// The plugin library loaded the way a host loads it, for tests of the exports.
#pragma once

#include <string>

#include "drwa_plugin.h"

namespace drwa::testing {

class LoadedPlugin {
  public:
    // Loads the library built with the tests, or a copy of it at `path` (a
    // copy is a second, independent instance in the same process).
    explicit LoadedPlugin(const std::string& path = DRWA_PLUGIN_PATH);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    void* Symbol(const char* name) const;
    // The module handle (Windows) or the loader's handle.
    void* handle() const { return handle_; }

    template <typename Fn>
    Fn* Get(const char* name) const {
        return reinterpret_cast<Fn*>(Symbol(name));
    }

    // GetPluginLastError's text.
    std::string LastError() const;

  private:
    void* handle_;
};

}  // namespace drwa::testing
