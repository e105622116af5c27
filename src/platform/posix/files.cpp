#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>
#include <utility>

#include "common/error.h"
#include "platform/charset_edge.h"
#include "platform/posix/unique_fd.h"

namespace drwa::platform {
namespace fs = std::filesystem;

namespace {

std::string NativeToCp932(const std::string& native) {
    if (auto s = TryUtf8ToCp932(native)) return *std::move(s);
    // The name is shown as far as it can be: its bytes are UTF-8 here.
    throw Error("ファイル名を Shift_JIS で表せません: " + native);
}

std::string ErrorText(int err) {
    char buf[256];
    // GNU strerror_r returns the text it chose, not always `buf`.
    const char* text = strerror_r(err, buf, sizeof buf);
    return TryUtf8ToCp932(text).value_or(text);
}

using Fd = UniqueFd;

std::string HiddenSibling(const fs::path& target) {
    static thread_local std::mt19937_64 rng{std::random_device{}()};
    char suffix[20];
    std::snprintf(suffix, sizeof suffix, ".%016llx", static_cast<unsigned long long>(rng()));
    fs::path tmp = target;
    tmp.replace_filename("." + target.filename().string() + suffix + ".tmp");
    return tmp.string();
}

}  // namespace

bool IsRootFolder(std::string_view folder) {
    return folder == "/";
}

fs::path NativePath(std::string_view path) {
    if (auto s = TryCp932ToUtf8(path)) return fs::path(*std::move(s));
    throw Error("ファイル名を変換できません: " + std::string(path));
}

std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (!out.empty() && !IsPathDelimiter(out.back())) out += kPathDelimiter;
    out += name;
    return out;
}

std::string AbsolutePath(std::string_view path) {
    std::error_code ec;
    fs::path abs = fs::absolute(NativePath(path), ec);
    if (ec) return std::string(path);
    return NativeToCp932(abs.lexically_normal().string());
}

bool FileExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool FolderExists(std::string_view path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::optional<std::string> ReadFile(std::string_view path) {
    Fd fd(::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || S_ISDIR(st.st_mode)) return std::nullopt;
    std::string out;
    out.reserve(static_cast<std::size_t>(st.st_size));
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd.get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;
        }
        if (n == 0) break;
        out.append(buf, static_cast<std::size_t>(n));
    }
    return out;
}

void WriteFileAtomic(std::string_view path, std::string_view bytes) {
    const fs::path target = NativePath(path);
    mode_t mode = 0666;
    struct stat st {};
    bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) mode = st.st_mode & 07777;

    const std::string tmp = HiddenSibling(target);
    Fd fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : mode));
    if (fd.get() < 0) throw Error(std::string(path) + ": " + ErrorText(errno));
    auto fail = [&](int err) {
        ::unlink(tmp.c_str());
        throw Error(std::string(path) + ": " + ErrorText(err));
    };
    if (!WriteAll(fd.get(), bytes)) fail(errno);
    if (existed && ::fchmod(fd.get(), mode) != 0) fail(errno);
    if (::fdatasync(fd.get()) != 0) fail(errno);
    if (::close(fd.release()) != 0) fail(errno);
    if (::rename(tmp.c_str(), target.c_str()) != 0) fail(errno);
}

bool WriteNewFile(std::string_view path, std::string_view bytes) {
    const fs::path target = NativePath(path);
    auto fail = [&](int err) -> bool { throw Error(std::string(path) + ": " + ErrorText(err)); };

    // An unnamed file in the target folder, given its name only once written:
    // as cheap as a plain write, and the name appears with the whole content.
    Fd fd(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                 O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (fd.get() >= 0) {
        if (!WriteAll(fd.get(), bytes)) return fail(errno);
        char proc[64];
        std::snprintf(proc, sizeof proc, "/proc/self/fd/%d", fd.get());
        if (::linkat(AT_FDCWD, proc, AT_FDCWD, target.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
        if (errno == EEXIST) return false;
        if (errno != ENOENT && errno != EXDEV && errno != EPERM) return fail(errno);
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return fail(errno);
    }

    // File systems without unnamed files: a hidden sibling, then a hard link.
    const std::string tmp = HiddenSibling(target);
    Fd tmp_fd(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (tmp_fd.get() < 0) return fail(errno);
    bool written = WriteAll(tmp_fd.get(), bytes);
    int err = errno;
    if (written && ::link(tmp.c_str(), target.c_str()) != 0) {
        written = false;
        err = errno;
    }
    ::unlink(tmp.c_str());
    if (!written && err == EEXIST) return false;
    if (!written) return fail(err);
    return true;
}

bool IsReadOnlyFile(std::string_view path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0) return false;
    return (st.st_mode & 0222) == 0;
}

bool DeleteFile(std::string_view path) {
    return ::unlink(NativePath(path).c_str()) == 0;
}

bool RemoveEmptyFolder(std::string_view path) {
    return ::rmdir(NativePath(path).c_str()) == 0;
}

void RenameFile(std::string_view from, std::string_view to) {
    if (::rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0)
        throw Error(std::string(from) + ": " + ErrorText(errno));
}

void CreateFolders(std::string_view path) {
    std::error_code ec;
    fs::create_directories(NativePath(path), ec);
    if (ec) throw Error(std::string(path) + ": " + ErrorText(ec.value()));
}

std::vector<FolderEntry> ListFolder(std::string_view folder, NameFilter match) {
    std::vector<FolderEntry> out;
    std::error_code ec;
    for (fs::directory_iterator it(NativePath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::directory_entry& entry = *it;
        const std::string native = entry.path().filename().string();
        if (match && !match(native)) continue;
        std::error_code type_ec;
        out.push_back({NativeToCp932(native), entry.is_directory(type_ec)});
    }
    return out;
}

std::optional<FileStamp> StampOf(std::string_view path) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0) return std::nullopt;
    return FileStamp{
        static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
        static_cast<std::int64_t>(st.st_size),
        static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

std::string LastSystemErrorText() {
    return ErrorText(errno);
}

LineLog::LineLog(std::string_view path) {
    auto native = TryCp932ToUtf8(path);
    if (native) fd_ = ::open(native->c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

LineLog::~LineLog() {
    if (fd_ >= 0) ::close(fd_);
}

void LineLog::Write(std::string_view line) {
    if (fd_ < 0) return;
    std::string l(line);
    l += "\r\n";
    WriteAll(fd_, l);
}

}  // namespace drwa::platform
