// Status texts of a send, and the host's request to stop that comes back.
#pragma once

#include <cstdint>
#include <string>

#include "drwa_plugin.h"

namespace drwa::post {

// Hands `text` to the host's callback (if any) with a cleared flag; true when
// the host set the flag's low byte, asking the send to stop.
inline bool HostAsksToStop(ProgressCallback callback, const std::string& text) {
    if (!callback) return false;
    std::int32_t flag = 0;
    callback(text.c_str(), &flag);
    return (flag & 0xFF) != 0;
}

}  // namespace drwa::post
