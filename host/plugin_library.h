// The plugin library as a host sees it: loaded by the system's loader
// (dlopen, LoadLibraryW), reached only through its exported functions.
#pragma once

#include <memory>
#include <string>

#include "drwa_plugin.h"

namespace drwa_host {

class PluginLibrary {
  public:
    // How the exports are found: by name, or by ordinal as a host that keeps
    // only the ordinals does (Windows DLLs have them; shared objects do not).
    enum class Lookup { kByName, kByOrdinal };

    // Loads the library at `path` (UTF-8); throws std::runtime_error with the
    // system's reason when it cannot, or when asked for ordinals it lacks.
    explicit PluginLibrary(const std::string& path, Lookup lookup = Lookup::kByName);

    // The export of that name, found the chosen way and typed as declared in
    // drwa_plugin.h (the calling convention included); throws when the
    // library lacks it.
    template <typename Fn>
    Fn* Get(const char* name) const {
        return reinterpret_cast<Fn*>(Resolve(name));
    }

    // The export found by name, or by ordinal; nullptr when there is none.
    void* ByName(const char* name) const;
    void* ByOrdinal(int ordinal) const;
    // Whether the system's libraries have ordinals at all.
    static bool HasOrdinals();

    // The last error of the library, converted to UTF-8.
    std::string LastError() const;

  private:
    void* Resolve(const char* name) const;

    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> handle_;
    Lookup lookup_;
};

}  // namespace drwa_host
