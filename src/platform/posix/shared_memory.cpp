// Named blocks in anonymous memory files: nothing in a file-system name
// space, so nothing is left behind however the process ends.
#include <sys/mman.h>
#include <unistd.h>

#include "common/error.h"
#include "platform/shared_memory_block.h"

namespace drwa::platform {
namespace {

struct MemoryFileBlock final : SharedMemory::Block {
    int fd = -1;
    ~MemoryFileBlock() override {
        if (view) ::munmap(view, size);
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

std::shared_ptr<SharedMemory::Block> MakeSharedBlock(const std::string& name, std::size_t size) {
    auto block = std::make_shared<MemoryFileBlock>();
    block->name = name;
    block->size = size;
    block->fd = ::memfd_create(name.c_str(), MFD_CLOEXEC);
    if (block->fd < 0 || ::ftruncate(block->fd, static_cast<off_t>(size)) != 0)
        throw Error("shared memory " + name + " cannot be made");
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, block->fd, 0);
    if (view == MAP_FAILED) throw Error("shared memory " + name + " cannot be made");
    block->view = view;
    return block;
}

}  // namespace drwa::platform
