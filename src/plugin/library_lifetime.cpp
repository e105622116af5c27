// What the library holds from load to unload: the shared-memory block, so that
// the error, domain and mode records survive between calls, and the plugin
// console with the thread that keeps it hidden.
#include <optional>

#include "config/shared_records.h"
#include "platform/process_end.h"
#include "receive/console_thread.h"

namespace drwa::plugin {
namespace {

struct ConsoleState {
    receive::PluginConsole console;
    std::optional<receive::TConsoleThread> console_thread;
};

struct LibraryLifetime {
    LibraryLifetime() : state(new ConsoleState) {
        config::KeepSharedBlock();
        state->console_thread.emplace(state->console);
    }
    ~LibraryLifetime() {
        // A process that ends has stopped the console thread wherever it
        // stood: its state is left to the system, which takes back all of it.
        if (platform::ProcessIsEnding()) return;
        delete state;  // the thread is told to end, and waited for: its code leaves with us
        config::ReleaseSharedBlock();
    }
    ConsoleState* state;
};

const LibraryLifetime lifetime;

}  // namespace
}  // namespace drwa::plugin
