#include "platform/keyboard.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <cstdlib>
#include <memory>

namespace drwa::platform {
namespace {

struct DisplayCloser {
    void operator()(Display* d) const { XCloseDisplay(d); }
};

bool KeyIsDown(Display* display, const char (&keys)[32], KeySym sym) {
    KeyCode code = XKeysymToKeycode(display, sym);
    return code != 0 && ((keys[code / 8] >> (code % 8)) & 1) != 0;
}

}  // namespace

bool ShiftKeyHeld() {
    // Without this check Xlib would try a default display and could wait on it.
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) return false;
    std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(name));
    if (!display) return false;
    char keys[32] = {};
    XQueryKeymap(display.get(), keys);
    return KeyIsDown(display.get(), keys, XK_Shift_L) || KeyIsDown(display.get(), keys, XK_Shift_R);
}

}  // namespace drwa::platform
