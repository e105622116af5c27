#include "plugin_library.h"

#include <stdexcept>

#include "export_table.h"
#include "terminal_text.h"

namespace drwa_host {

void* PluginLibrary::Resolve(const char* name) const {
    if (lookup_ == Lookup::kByName) {
        if (void* symbol = ByName(name)) return symbol;
        throw std::runtime_error(std::string("the library has no export ") + name);
    }
    for (const ExportEntry& e : kExports) {
        if (std::string_view(e.name) != name) continue;
        if (void* symbol = ByOrdinal(e.ordinal)) return symbol;
        throw std::runtime_error("the library has no export of ordinal " +
                                 std::to_string(e.ordinal) + " (" + name + ")");
    }
    throw std::runtime_error(std::string("no ordinal is known for ") + name);
}

std::string PluginLibrary::LastError() const {
    char text[256] = {};
    if (Get<decltype(GetPluginLastError)>("GetPluginLastError")(text) != 0)
        return "(the error record cannot be read)";
    return ToUtf8(text);
}

}  // namespace drwa_host
