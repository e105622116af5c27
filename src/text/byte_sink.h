// Output buffer of the converters. Writing byte by byte into a std::string
// checks the capacity on every byte; this collects a block on the stack and
// appends it whole, and copies long ASCII runs straight through.
#pragma once

#include <array>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace drwa::text {

class ByteSink {
  public:
    // Most bytes to Put between two calls of Reserve.
    static constexpr std::size_t kMaxStep = 32;

    explicit ByteSink(std::size_t expected_size) { out_.reserve(expected_size); }
    ByteSink(const ByteSink&) = delete;
    ByteSink& operator=(const ByteSink&) = delete;

    // Room for `n` (at most kMaxStep) more bytes through Put.
    void Reserve(std::size_t n) {
        if (kBlock - used_ < n) Flush();
    }
    void Put(unsigned b) { block_[used_++] = static_cast<char>(b); }

    void Append(const char* bytes, std::size_t n) {
        if (n <= kBlock - used_) {
            std::memcpy(block_.data() + used_, bytes, n);
            used_ += n;
            return;
        }
        Flush();
        out_.append(bytes, n);
    }

    std::string Take() {
        Flush();
        return std::move(out_);
    }

  private:
    static constexpr std::size_t kBlock = 16384;

    void Flush() {
        out_.append(block_.data(), used_);
        used_ = 0;
    }

    std::array<char, kBlock> block_;
    std::size_t used_ = 0;
    std::string out_;
};

}  // namespace drwa::text
