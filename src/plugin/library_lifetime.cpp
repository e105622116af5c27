// What the library holds from load to unload: the shared-memory block, so that
// the error, domain and mode records survive between calls, and the plugin
// console with the thread that keeps it hidden.
#include <optional>

#include "config/shared_records.h"
#include "receive/console_thread.h"

namespace drwa::plugin {
namespace {

struct LibraryLifetime {
    LibraryLifetime() {
        config::KeepSharedBlock();
        console_thread.emplace(console);
    }
    ~LibraryLifetime() {
        console_thread.reset();  // told to end, and waited for: its code leaves with us
        config::ReleaseSharedBlock();
    }
    receive::PluginConsole console;
    std::optional<receive::TConsoleThread> console_thread;
};

const LibraryLifetime lifetime;

}  // namespace
}  // namespace drwa::plugin
