#include "platform/staged_files.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "common/error.h"
#include "platform/files.h"
#include "platform/posix/unique_fd.h"

namespace drwa::platform {
namespace {

[[noreturn]] void Fail(std::string_view path, int err) {
    errno = err;
    throw Error(std::string(path) + ": " + LastSystemErrorText());
}

// A fresh hidden name beside `target` (native).
std::string HiddenSibling(const std::string& target) {
    static thread_local std::mt19937_64 random{std::random_device{}()};
    const std::size_t slash = target.rfind('/');
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx.tmp",
                  static_cast<unsigned long long>(random() & 0xFFFFFFFFFFFFULL));
    return target.substr(0, slash + 1) + "." + target.substr(slash + 1) + suffix;
}

std::string FolderOf(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    return slash == std::string::npos ? "." : target.substr(0, slash + 1);
}

}  // namespace

ReplacingFile::ReplacingFile(std::string_view path) : target_(NativePath(path).string()) {}

ReplacingFile::~ReplacingFile() {
    Abandon();
}

void ReplacingFile::Abandon() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        if (!temp_.empty()) ::unlink(temp_.c_str());
    }
    fd_ = -1;
}

bool ReplacingFile::Append(std::string_view bytes) {
    if (failed_) return false;
    if (bytes.empty()) return true;
    if (fd_ < 0) {
        // An unnamed file: a run killed before its end leaves nothing behind.
        fd_ = ::open(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
            temp_ = HiddenSibling(target_);
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        }
    }
    if (fd_ < 0 || !WriteAll(fd_, bytes)) {
        failed_ = true;
        Abandon();
        return false;
    }
    return true;
}

void ReplacingFile::Commit() {
    if (fd_ < 0) return;
    struct stat st {};
    // The file keeps whatever permissions its user gave the one it replaces.
    if (::stat(target_.c_str(), &st) == 0) ::fchmod(fd_, st.st_mode & 07777);
    bool done = ::fdatasync(fd_) == 0;
    if (done && temp_.empty()) {
        // The unnamed file gets a hidden name first: rename replaces, a link
        // does not.
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd_);
        temp_ = HiddenSibling(target_);
        done = ::linkat(AT_FDCWD, proc, AT_FDCWD, temp_.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (!done) temp_.clear();
    }
    if (!done || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        Abandon();
        Fail(target_, err);
    }
    ::close(fd_);
    fd_ = -1;
}

AppendOnlyFile::AppendOnlyFile(std::string_view path)
    : path_(path), native_(NativePath(path).string()) {
    fd_ = ::open(native_.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail(path_, errno);
    std::string all;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd_);
            Fail(path_, err);
        }
        if (n == 0) break;
        all.append(buf, static_cast<std::size_t>(n));
    }
    const std::size_t end = all.rfind("\r\n");
    all.resize(end == std::string::npos ? 0 : end + 2);
    // Cutting a file short needs no space, even on a full disk.
    if (::ftruncate(fd_, static_cast<off_t>(all.size())) != 0) {
        const int err = errno;
        ::close(fd_);
        Fail(path_, err);
    }
    size_ = all.size();
    earlier_ = std::move(all);
}

AppendOnlyFile::~AppendOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

void AppendOnlyFile::Append(std::string_view bytes) {
    if (WriteAll(fd_, bytes)) {
        size_ += bytes.size();
        return;
    }
    const int err = errno;
    // Half a line would join the next one: the file goes back to where it was.
    if (::ftruncate(fd_, static_cast<off_t>(size_)) != 0) {
        // Then the next open drops the cut line.
    }
    Fail(path_, err);
}

bool AppendOnlyFile::Remove() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return ::unlink(native_.c_str()) == 0;
}

OpenFolder::OpenFolder(std::string_view folder) : folder_(JoinPath(folder, "")) {
    fd_ = ::open(NativePath(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0) platform::Fail(folder, errno);
}

OpenFolder::~OpenFolder() {
    if (fd_ >= 0) ::close(fd_);
}

// Names of plain ASCII (the mails' are) are the same bytes natively.
std::string OpenFolder::Native(std::string_view name) const {
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) return NativePath(name).string();
    return std::string(name);
}

void OpenFolder::Fail(std::string_view name, int err) const {
    platform::Fail(folder_ + std::string(name), err);
}

bool OpenFolder::Exists(std::string_view name) const {
    struct stat st {};
    return ::fstatat(fd_, Native(name).c_str(), &st, 0) == 0 && !S_ISDIR(st.st_mode);
}

bool OpenFolder::Delete(std::string_view name) const {
    return ::unlinkat(fd_, Native(name).c_str(), 0) == 0;
}

void OpenFolder::WriteStaging(std::string_view name, std::string_view bytes) const {
    const std::string native = Native(name);
    const int fd = ::openat(fd_, native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) Fail(name, errno);
    const bool written = WriteAll(fd, bytes);
    int err = errno;
    const bool closed = ::close(fd) == 0;
    if (written && !closed) err = errno;
    if (!written || !closed) {
        ::unlinkat(fd_, native.c_str(), 0);
        Fail(name, err);
    }
}

bool OpenFolder::RenameNoReplace(std::string_view from, std::string_view to) const {
    const std::string source = Native(from), target = Native(to);
    if (::renameat2(fd_, source.c_str(), fd_, target.c_str(), RENAME_NOREPLACE) == 0) return true;
    if (errno == EEXIST) return false;
    if (errno != EINVAL && errno != ENOSYS) Fail(to, errno);
    // A file system that cannot refuse to replace: a second name, then the
    // first one goes.
    if (::linkat(fd_, source.c_str(), fd_, target.c_str(), 0) != 0) {
        if (errno == EEXIST) return false;
        Fail(to, errno);
    }
    ::unlinkat(fd_, source.c_str(), 0);
    return true;
}

}  // namespace drwa::platform
