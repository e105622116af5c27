#include "byte_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace drwa_tool {
namespace {

// What a pipe holds: a file costs few reads more than with larger blocks,
// and the pieces converted stay small enough for the allocator to reuse
// their memory rather than fetch fresh pages for each.
constexpr std::size_t kBlockSize = 64 * 1024;

std::runtime_error SystemError(const std::string& what) {
    return std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

InputBlocks::InputBlocks(const std::string& path)
    : path_(path.empty() || path == "-" ? "standard input" : path),
      block_(std::make_unique_for_overwrite<char[]>(kBlockSize)) {
    if (path.empty() || path == "-") return;
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw SystemError("cannot read " + path);
    own_ = true;
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

InputBlocks::~InputBlocks() {
    if (own_) ::close(fd_);
}

std::string_view InputBlocks::Next() {
    for (;;) {
        const ssize_t n = ::read(fd_, block_.get(), kBlockSize);
        if (n >= 0) return std::string_view(block_.get(), static_cast<std::size_t>(n));
        if (errno != EINTR) throw SystemError("cannot read " + path_);
    }
}

void InputBlocks::Finish() {
    if (!own_)
        while (!Next().empty()) {
        }
}

void WriteBytes(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw SystemError("cannot write the output");
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace drwa_tool
