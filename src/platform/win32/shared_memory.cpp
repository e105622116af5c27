// Named shared memory on Windows: a file mapping on the paging file under the
// given name, so that a second loader of the library (in this process or
// another) that opens the same name sees the same bytes. Within this process
// blocks are counted as on Linux: every open of a live name joins it, and the
// mapping goes with the last handle (Windows drops a mapping once no process
// holds a handle to it).
#include "platform/shared_memory.h"

#include <windows.h>

#include <map>
#include <mutex>

#include "common/error.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {

struct SharedMemory::Block {
    std::string name;
    HANDLE mapping = nullptr;
    void* view = nullptr;
    std::size_t size = 0;
    ~Block() {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
    }
};

namespace {

// The name space of blocks in this process. Entries are weak: a block lives
// exactly as long as some SharedMemory holds it.
struct Registry {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<SharedMemory::Block>> blocks;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

[[noreturn]] void Fail(const std::string& name, DWORD code) {
    throw Error("shared memory " + name + " cannot be made: " + win32::SystemErrorText(code));
}

std::shared_ptr<SharedMemory::Block> Make(const std::string& name, std::size_t size) {
    auto wide = win32::TryCp932ToWide(name);
    if (!wide) throw Error("shared memory " + name + " cannot be made");
    auto block = std::make_shared<SharedMemory::Block>();
    block->name = name;
    block->size = size;
    // A fresh mapping of the paging file is zero-filled; an existing one of
    // that name (another loader's) is joined as it is.
    block->mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        static_cast<DWORD>(size), wide->c_str());
    if (!block->mapping) Fail(name, GetLastError());
    block->view = MapViewOfFile(block->mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!block->view) Fail(name, GetLastError());
    return block;
}

}  // namespace

SharedMemory::SharedMemory(const std::string& name, std::size_t size) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto& slot = registry.blocks[name];
    block_ = slot.lock();
    if (!block_) {
        try {
            block_ = Make(name, size);
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
