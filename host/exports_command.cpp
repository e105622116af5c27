// `exports`: every export of the table found by name and by its ordinal. A
// mail client may use either, so both must give the same function (or both
// none: "absent"), and an ordinal the table leaves free must give none. One
// line per export; exit status 1 when the two ways disagree.
#include <stdexcept>

#include "export_table.h"
#include "host_context.h"
#include "host_system.h"

namespace drwa_host {
namespace {

const char* Verdict(const void* by_name, const void* by_ordinal) {
    if (by_name == by_ordinal) return by_name ? "ok" : "absent";
    if (!by_name) return "only by ordinal";
    if (!by_ordinal) return "only by name";
    return "the ordinal gives another function";
}

}  // namespace

int RunExports(HostContext& host, const std::vector<std::string>& args) {
    if (!args.empty()) throw std::runtime_error("usage: exports");
    const PluginLibrary& lib = host.library;
    const bool ordinals = PluginLibrary::HasOrdinals();
    int status = 0;
    int next_ordinal = 1;
    for (const ExportEntry& e : kExports) {
        for (; ordinals && next_ordinal < e.ordinal; ++next_ordinal) {
            if (lib.ByOrdinal(next_ordinal)) {
                Print(stdout, "%2d  %-20s an export the table does not have\n", next_ordinal, "-");
                status = 1;
            }
        }
        next_ordinal = e.ordinal + 1;
        void* by_name = lib.ByName(e.name);
        // Shared objects have no ordinals: there the name alone decides.
        const char* verdict = Verdict(by_name, ordinals ? lib.ByOrdinal(e.ordinal) : by_name);
        if (verdict[0] != 'o' && verdict[0] != 'a') status = 1;
        if (ordinals)
            Print(stdout, "%2d  %-20s %s\n", e.ordinal, e.name, verdict);
        else
            Print(stdout, " -  %-20s %s\n", e.name, verdict);
    }
    return status;
}

}  // namespace drwa_host
