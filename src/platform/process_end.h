// Whether the whole process is ending while the library's destructors run.
//
// When a process ends, Windows stops its other threads where they stand and
// only then runs a DLL's destructors: waiting for those threads, or tearing
// down the locks they held, may then never return. The system takes back
// everything anyway, so the library leaves its threads' state alone in that
// case. An unload while the process goes on is cleaned up in full.
#pragma once

namespace drwa::platform {

bool ProcessIsEnding();

}  // namespace drwa::platform
