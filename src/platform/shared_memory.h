// Named shared memory of a fixed size.
//
// A block is found by its name within this process: every open of the same
// name while one handle is alive joins the same bytes, and the block vanishes
// with its last handle. The bytes live in an anonymous memory file, never in a
// file-system name space, so nothing is left behind when the process ends,
// whether it exits or is killed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace drwa::platform {

class SharedMemory {
public:
    // Creates the block zero-filled, or joins the existing block of that name.
    // Throws drwa::Error when the memory cannot be made or mapped.
    SharedMemory(const std::string& name, std::size_t size);
    ~SharedMemory();
    SharedMemory(const SharedMemory&) = delete;
    SharedMemory& operator=(const SharedMemory&) = delete;

    unsigned char* data() const;
    // The size of the block as first created (a later open with another size
    // joins the block as it is).
    std::size_t size() const;

    // Number of blocks alive in this process; for tests of the lifetime.
    static std::size_t LiveBlocks();

    struct Block;

private:
    std::shared_ptr<Block> block_;
};

}  // namespace drwa::platform
