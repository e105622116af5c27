// Here the destructors of a library run from exit() or dlclose(), with every
// thread still running: its threads can always be waited for.
#include "platform/process_end.h"

namespace drwa::platform {

bool ProcessIsEnding() {
    return false;
}

}  // namespace drwa::platform
