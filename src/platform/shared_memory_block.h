// What each system's back-end makes for SharedMemory: the mapped bytes of one
// named block, released when the last handle of this process lets go.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "platform/shared_memory.h"

namespace drwa::platform {

struct SharedMemory::Block {
    std::string name;
    std::size_t size = 0;
    void* view = nullptr;
    virtual ~Block() = default;
};

// A block of `size` bytes under `name`: zero-filled when new, the system's
// existing one of that name joined as it is. Throws drwa::Error.
std::shared_ptr<SharedMemory::Block> MakeSharedBlock(const std::string& name, std::size_t size);

}  // namespace drwa::platform
