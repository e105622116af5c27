#include "progress_display.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <stdexcept>

#include "host_system.h"
#include "terminal_text.h"

namespace drwa_host {
namespace {

// Set by the Ctrl-C handler: a signal handler or the console's own thread.
std::atomic<bool> stop_requested{false};

struct State {
    FILE* trace = nullptr;
    bool live = false;                 // a terminal: one line per slot, redrawn in place
    std::map<int, std::string> slots;  // slot number -> its last text (live mode)
    int drawn = 0;                     // lines of the live block on screen
};
State* state = nullptr;

void Redraw(State& s) {
    if (s.drawn > 0) Print(stdout, "\x1b[%dA", s.drawn);
    s.drawn = 0;
    for (const auto& [slot, text] : s.slots) {
        if (slot == 0)
            Print(stdout, "\x1b[2K%s\n", text.c_str());
        else
            Print(stdout, "\x1b[2K[%d] %s\n", slot, text.c_str());
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
        Print(stdout, "[%d] %s\n", slot, text.c_str());
    } else {
        Print(stdout, "%s\n", text.c_str());
    }
    std::fflush(stdout);
    if (stop_requested && abort_flag) *abort_flag = 1;
}

}  // namespace

ProgressDisplay::ProgressDisplay(const std::optional<std::string>& trace_file) {
    static State s;
    s = State{};
    if (trace_file) {
        s.trace = OpenForAppend(*trace_file);
        if (!s.trace) throw std::runtime_error("cannot open the trace file " + *trace_file);
    }
    s.live = LiveTerminal();
    stop_requested = false;
    CatchInterrupt(stop_requested);
    state = &s;
}

ProgressDisplay::~ProgressDisplay() {
    ReleaseInterrupt();
    if (state->trace) std::fclose(state->trace);
    state = nullptr;
}

ProgressCallback ProgressDisplay::callback() {
    return &Show;
}

bool ProgressDisplay::StopRequested() {
    return stop_requested;
}

}  // namespace drwa_host
