// A module (shared library) opened while the library runs, for a part that only
// some calls need: what that part depends on is then loaded by those calls
// alone, not by every process that loads the library.
#pragma once

#include <string>

namespace drwa::platform {

class LoadedModule {
  public:
    // Opens the module at `path` (CP932) with everything it needs resolved at
    // once. Fails with drwa::Error giving the system's reason (CP932), for the
    // caller to say which module it was.
    explicit LoadedModule(const std::string& path);
    // Gives the module back: its code goes unless it asked to stay
    // (KeepModuleLoaded) or something else holds it too.
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    // The address of the module's exported `name`; null when it has none.
    void* Find(const char* name) const;

  private:
    void* handle_;
};

}  // namespace drwa::platform
