// A seekable byte stream over a named shared-memory block. The block carries
// what must outlive a single export call: the last error, the dummy domain and
// the receive/send mode.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shared_memory.h"

namespace drwa::config {

class TCommonMemoryStream {
public:
    enum Origin { kFromBeginning = 0, kFromCurrent = 1, kFromEnd = 2 };

    // Creates the block (zero-filled) or joins the one of that name. Fails with
    // "共有メモリ[" + name + "]を開けません".
    TCommonMemoryStream(const std::string& name, std::int32_t size);

    // Bytes read: fewer at the end of the block, 0 outside it.
    std::int32_t Read(void* buffer, std::int32_t count);
    // Bytes written; fails with "共有メモリを逸脱した書き込み" past the end,
    // writing nothing.
    std::int32_t Write(const void* buffer, std::int32_t count);
    // No bounds check: Read and Write catch a position outside the block.
    std::int32_t Seek(std::int32_t offset, int origin);

    std::int32_t size() const { return size_; }
    std::int32_t position() const { return position_; }

private:
    platform::SharedMemory memory_;
    std::int32_t size_;
    std::int32_t position_ = 0;
};

}  // namespace drwa::config
