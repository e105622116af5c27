// What the library holds from load to unload: the shared-memory block, so that
// the error, domain and mode records survive between calls.
#include "config/shared_records.h"

namespace drwa::plugin {
namespace {

struct LibraryLifetime {
    LibraryLifetime() { config::KeepSharedBlock(); }
    ~LibraryLifetime() { config::ReleaseSharedBlock(); }
};

const LibraryLifetime lifetime;

}  // namespace
}  // namespace drwa::plugin
