// The blocks of this process by name, the same on every system; the bytes
// themselves come from the system's back-end (MakeSharedBlock).
#include "platform/shared_memory.h"

#include <map>
#include <mutex>

#include "platform/shared_memory_block.h"

namespace drwa::platform {
namespace {

// The name space of blocks. Entries are weak: a block lives exactly as long as
// some SharedMemory holds it.
struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<SharedMemory::Block>> blocks;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

}  // namespace

SharedMemory::SharedMemory(const std::string& name, std::size_t size) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.blocks[name];
    block_ = slot.lock();
    if (!block_) {
        try {
            block_ = MakeSharedBlock(name, size);
        } catch (...) {
            registry.blocks.erase(name);
            throw;
        }
        slot = block_;
    }
}

SharedMemory::~SharedMemory() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const std::string name = block_->name;
    block_.reset();
    auto it = registry.blocks.find(name);
    if (it != registry.blocks.end() && it->second.expired()) registry.blocks.erase(it);
}

unsigned char* SharedMemory::data() const {
    return static_cast<unsigned char*>(block_->view);
}

std::size_t SharedMemory::size() const {
    return block_->size;
}

std::size_t SharedMemory::LiveBlocks() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::size_t n = 0;
    for (auto& [name, weak] : registry.blocks) n += weak.expired() ? 0 : 1;
    return n;
}

}  // namespace drwa::platform
