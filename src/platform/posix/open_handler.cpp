#include "platform/open_handler.h"

#include <glib.h>
#include <signal.h>
#include <unistd.h>

#include <memory>
#include <string>

#include "platform/charset_edge.h"

namespace drwa::platform {
namespace {

constexpr const char* kOpener = "xdg-open";

struct ErrorFree {
    void operator()(GError* error) const { g_error_free(error); }
};

// Runs in the child between fork and exec: async-signal-safe calls only. A
// host that ignores SIGINT (a background job) would pass that on to the
// handler, and the terminal's Ctrl-C must not reach a window it opened.
void Detach(gpointer) {
    ::setsid();
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &dfl, nullptr);
    ::sigaction(SIGQUIT, &dfl, nullptr);
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
}

}  // namespace

bool OpenWithDefaultHandler(std::string_view target) {
    // A URL or a path read from a settings file: if it has no UTF-8 form its
    // bytes are passed as they are, as the system would.
    std::string native = TryCp932ToUtf8(target).value_or(std::string(target));
    std::string opener = kOpener;
    char* argv[] = {opener.data(), native.data(), nullptr};
    // Without G_SPAWN_DO_NOT_REAP_CHILD GLib starts the opener through an
    // intermediate child that it reaps itself: the opener is nobody's zombie.
    auto flags = static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_STDIN_FROM_DEV_NULL |
                                          G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDERR_TO_DEV_NULL);
    GError* raw = nullptr;
    bool started = g_spawn_async(nullptr, argv, nullptr, flags, Detach, nullptr, nullptr, &raw);
    std::unique_ptr<GError, ErrorFree> error(raw);
    return started;
}

}  // namespace drwa::platform
