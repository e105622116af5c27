#include "progress_display.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <stdexcept>

#include "terminal_text.h"

namespace drwa_host {
namespace {

volatile sig_atomic_t stop_requested = 0;

struct State {
    FILE* trace = nullptr;
    bool live = false;                 // a terminal: one line per slot, redrawn in place
    std::map<int, std::string> slots;  // slot number -> its last text (live mode)
    int drawn = 0;                     // lines of the live block on screen
    struct sigaction previous {};
};
State* state = nullptr;

void OnInterrupt(int) {
    stop_requested = 1;
    static const char note[] = "\ndrwa-host: stopping...\n";
    [[maybe_unused]] ssize_t n = write(STDERR_FILENO, note, sizeof note - 1);
}

void Redraw(State& s) {
    if (s.drawn > 0) std::printf("\x1b[%dA", s.drawn);
    s.drawn = 0;
    for (const auto& [slot, text] : s.slots) {
        if (slot == 0)
            std::printf("\x1b[2K%s\n", text.c_str());
        else
            std::printf("\x1b[2K[%d] %s\n", slot, text.c_str());
        ++s.drawn;
    }
    std::fflush(stdout);
}

void DRWA_CALL Show(const char* raw, int32_t* abort_flag) {
    if (state && state->trace) {
        std::fprintf(state->trace, "%s\n", raw);
        std::fflush(state->trace);
    }
    // Texts from a receive worker start with its slot number as one byte.
    int slot = 0;
    std::string text = raw;
    if (!text.empty() && text[0] >= 1 && text[0] <= 31 && text[0] != '\t') {
        slot = text[0];
        text.erase(0, 1);
    }
    text = ToUtf8(text);
    if (state && state->live) {
        state->slots[slot] = text;
        Redraw(*state);
    } else if (slot != 0) {
        std::printf("[%d] %s\n", slot, text.c_str());
    } else {
        std::printf("%s\n", text.c_str());
    }
    std::fflush(stdout);
    if (stop_requested && abort_flag) *abort_flag = 1;
}

}  // namespace

ProgressDisplay::ProgressDisplay(const std::optional<std::string>& trace_file) {
    static State s;
    s = State{};
    if (trace_file) {
        s.trace = std::fopen(trace_file->c_str(), "ab");
        if (!s.trace) throw std::runtime_error("cannot open the trace file " + *trace_file);
    }
    s.live =
        isatty(STDOUT_FILENO) && std::getenv("TERM") && std::strcmp(std::getenv("TERM"), "dumb");
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, &s.previous);
    stop_requested = 0;
    state = &s;
}

ProgressDisplay::~ProgressDisplay() {
    sigaction(SIGINT, &state->previous, nullptr);
    if (state->trace) std::fclose(state->trace);
    state = nullptr;
}

ProgressCallback ProgressDisplay::callback() {
    return &Show;
}

bool ProgressDisplay::StopRequested() {
    return stop_requested != 0;
}

}  // namespace drwa_host
