// The state of the keyboard at the moment of a call.
#pragma once

namespace drwa::platform {

// True while a Shift key is held down. Only a display can tell: without one
// (no DISPLAY, or a display that cannot be reached) the key is not held.
bool ShiftKeyHeld();

}  // namespace drwa::platform
