// Raw bytes in blocks, from a file or standard input, and raw bytes out: the
// charset commands work on inputs of any size in memory of their own size,
// and read a pipe as fast as a file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace drwa_tool {

class InputBlocks {
  public:
    // FILE, or standard input when `path` is empty or "-". Throws
    // std::runtime_error when the file cannot be opened.
    explicit InputBlocks(const std::string& path);
    ~InputBlocks();
    InputBlocks(const InputBlocks&) = delete;
    InputBlocks& operator=(const InputBlocks&) = delete;

    // The next block, valid until the next call; empty at the end. Throws
    // std::runtime_error when the input cannot be read.
    std::string_view Next();
    // Standard input is read to its end even when no more of it is wanted,
    // so that a program writing into the pipe is not cut off; a file is
    // simply left.
    void Finish();

  private:
    std::string path_;
    int fd_ = 0;
    bool own_ = false;
    std::unique_ptr<char[]> block_;
};

// All of `bytes` to standard output; throws std::runtime_error on failure.
void WriteBytes(std::string_view bytes);

}  // namespace drwa_tool
