// Output of the converters. Writing byte by byte through std::string checks the
// capacity on every byte, and a member write cursor would be reloaded after
// every store (a char store may alias it). Instead a converter asks for room
// for a whole chunk of input at once and writes through a local pointer.
#pragma once

#include <cstddef>
#include <string>

namespace drwa::text {

class OutputBuffer {
  public:
    explicit OutputBuffer(std::size_t expected_size) { out_.reserve(expected_size); }

    // A write position with at least `n` bytes of room after it.
    unsigned char* Room(std::size_t n) {
        if (out_.size() < used_ + n) out_.resize(used_ + n);
        return reinterpret_cast<unsigned char*>(out_.data()) + used_;
    }
    // Everything before `end` (a pointer from Room, moved on) is output.
    void Commit(const unsigned char* end) {
        used_ = static_cast<std::size_t>(end - reinterpret_cast<unsigned char*>(out_.data()));
    }

    std::string Take() {
        out_.resize(used_);
        return std::move(out_);
    }

  private:
    std::string out_;
    std::size_t used_ = 0;
};

// Input is converted in chunks of this many bytes: the room asked for per
// chunk stays small and in cache.
inline constexpr std::size_t kConversionChunk = 4096;
// Room beyond a chunk's own output: a character may run past the chunk's end,
// escape sequences are written around it, and ASCII runs are copied eight
// bytes at a time.
inline constexpr std::size_t kConversionSlack = 32;

}  // namespace drwa::text
