// The Shift key as the system's input state knows it at the moment of a call.
#include <windows.h>

#include "platform/keyboard.h"

namespace drwa::platform {

bool ShiftKeyHeld() {
    return (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
}

}  // namespace drwa::platform
