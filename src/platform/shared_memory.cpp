#include "platform/shared_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <mutex>

#include "common/error.h"

namespace drwa::platform {

struct SharedMemory::Block {
    std::string name;
    int fd = -1;
    void* view = MAP_FAILED;
    std::size_t size = 0;
    ~Block() {
        if (view != MAP_FAILED) ::munmap(view, size);
        if (fd >= 0) ::close(fd);
    }
};

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

std::shared_ptr<SharedMemory::Block> Make(const std::string& name, std::size_t size) {
    auto block = std::make_shared<SharedMemory::Block>();
    block->name = name;
    block->size = size;
    block->fd = ::memfd_create(name.c_str(), MFD_CLOEXEC);
    if (block->fd < 0 || ::ftruncate(block->fd, static_cast<off_t>(size)) != 0) return nullptr;
    block->view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, block->fd, 0);
    if (block->view == MAP_FAILED) return nullptr;
    return block;
}

}  // namespace

SharedMemory::SharedMemory(const std::string& name, std::size_t size) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.blocks[name];
    block_ = slot.lock();
    if (!block_) {
        block_ = Make(name, size);
        if (!block_) {
            registry.blocks.erase(name);
            throw Error("shared memory " + name + " cannot be made");
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

unsigned char* SharedMemory::data() const { return static_cast<unsigned char*>(block_->view); }

std::size_t SharedMemory::size() const { return block_->size; }

std::size_t SharedMemory::LiveBlocks() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    std::size_t n = 0;
    for (auto& [name, weak] : registry.blocks) n += weak.expired() ? 0 : 1;
    return n;
}

}  // namespace drwa::platform
