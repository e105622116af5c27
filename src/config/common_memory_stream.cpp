#include "config/common_memory_stream.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"

namespace drwa::config {
namespace {
platform::SharedMemory OpenBlock(const std::string& name, std::int32_t size) {
    try {
        if (size <= 0) throw Error(name);
        return platform::SharedMemory(name, static_cast<std::size_t>(size));
    } catch (const Error&) {
        throw Error("共有メモリ[" + name + "]を開けません");
    }
}
}  // namespace

TCommonMemoryStream::TCommonMemoryStream(const std::string& name, std::int32_t size)
    : memory_(OpenBlock(name, size)),
      // A stream that joins a block sees the block as it is.
      size_(static_cast<std::int32_t>(std::min<std::size_t>(memory_.size(),
                                                            static_cast<std::size_t>(size)))) {}

std::int32_t TCommonMemoryStream::Read(void* buffer, std::int32_t count) {
    if (position_ < 0 || count < 0) return 0;
    std::int32_t available = size_ - position_;
    if (available <= 0) return 0;
    std::int32_t n = std::min(count, available);
    std::memcpy(buffer, memory_.data() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

std::int32_t TCommonMemoryStream::Write(const void* buffer, std::int32_t count) {
    const std::int64_t end = static_cast<std::int64_t>(position_) + count;
    if (position_ < 0 || count < 0 || end <= 0) return 0;
    if (end > size_) throw Error("共有メモリを逸脱した書き込み");
    std::memcpy(memory_.data() + position_, buffer, static_cast<std::size_t>(count));
    position_ = static_cast<std::int32_t>(end);
    return count;
}

std::int32_t TCommonMemoryStream::Seek(std::int32_t offset, int origin) {
    // Wrapping arithmetic, as a 32-bit position would: Read and Write reject
    // whatever lies outside the block.
    auto wrap = [](std::int64_t v) {
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    };
    switch (origin) {
        case kFromCurrent: position_ = wrap(static_cast<std::int64_t>(position_) + offset); break;
        case kFromEnd: position_ = wrap(static_cast<std::int64_t>(size_) + offset); break;
        default: position_ = offset; break;
    }
    return position_;
}

}  // namespace drwa::config
