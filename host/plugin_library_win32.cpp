// Loading the DLL as the mail client does: LoadLibraryW with the wide path
// (a narrow path would go through the ANSI code page), then GetProcAddress
// by name or by ordinal.
#include <windows.h>

#include <stdexcept>

#include "plugin_library.h"
#include "wide_text_win32.h"

namespace drwa_host {

PluginLibrary::PluginLibrary(const std::string& path, Lookup lookup)
    // The folder of a DLL named with its path is searched for what it
    // imports, as for a plugin the mail client loads from its plugin folder.
    : handle_(LoadLibraryExW(WideFromUtf8(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)),
      lookup_(lookup) {
    if (!handle_)
        throw std::runtime_error("cannot load " + path + ": " + SystemMessage(GetLastError()));
}

void PluginLibrary::Closer::operator()(void* handle) const {
    FreeLibrary(static_cast<HMODULE>(handle));
}

void* PluginLibrary::ByName(const char* name) const {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_.get()), name));
}

void* PluginLibrary::ByOrdinal(int ordinal) const {
    return reinterpret_cast<void*>(
        GetProcAddress(static_cast<HMODULE>(handle_.get()), MAKEINTRESOURCEA(ordinal)));
}

bool PluginLibrary::HasOrdinals() {
    return true;
}

}  // namespace drwa_host
