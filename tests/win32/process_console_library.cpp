// A library that holds the plugin console and its thread from load to unload,
// as the plugin library does: the test loads and unloads it while the thread
// is still running its course.
#include "receive/console_thread.h"

namespace {

struct ConsoleForTheLoad {
    ConsoleForTheLoad() : thread(console) {}
    drwa::receive::PluginConsole console;
    drwa::receive::TConsoleThread thread;
};

const ConsoleForTheLoad held;

}  // namespace
