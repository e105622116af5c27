// Files and folders. Every path here is CP932 text, as everywhere in the
// library; the mapping to the native (UTF-8) names happens only in this file's
// implementation. A name that cannot be mapped is an error, never a guess.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drwa::platform {

// The native separator between path components.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// True for the bytes that separate path components on this platform (outside
// double-byte characters; see FindLastSjisChar). Windows takes "/" as well.
#ifdef _WIN32
constexpr bool IsPathDelimiter(char c) { return c == '\\' || c == '/'; }
#else
constexpr bool IsPathDelimiter(char c) { return c == kPathDelimiter; }
#endif

// True when `folder` is the root of a file system ("/" here, "X:\" on Windows).
bool IsRootFolder(std::string_view folder);

// The native form of a CP932 path; throws drwa::Error when a character has no
// native form.
std::filesystem::path NativePath(std::string_view path);

// `folder` + a delimiter (unless it already ends in one) + `name`.
std::string JoinPath(std::string_view folder, std::string_view name);

// An absolute form of `path`, relative paths taken from the current folder.
std::string AbsolutePath(std::string_view path);

bool FileExists(std::string_view path);
bool FolderExists(std::string_view path);

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadFile(std::string_view path);

// Replaces the file whole or not at all: the bytes go to a hidden file beside
// it, reach the disk, and are renamed over the old file, so that a crash never
// leaves half a file and no reader ever sees one. Keeps the old file's
// permissions. Throws drwa::Error with the system's reason on failure.
void WriteFileAtomic(std::string_view path, std::string_view bytes);

// Writes a new file whole or not at all, never replacing one: false when a
// file of that name exists already. Readers of the folder never see the file
// before it is complete. Not flushed to the disk: for files that come in
// thousands (mails), where a crash of the process is the danger, not a power
// cut. Throws drwa::Error with the system's reason on other failures.
bool WriteNewFile(std::string_view path, std::string_view bytes);

// True when the file exists and nobody may write it (no write permission bit at
// all): the counterpart of the read-only attribute, which even root respects.
bool IsReadOnlyFile(std::string_view path);

// Deletes a file; false when it did not exist or could not be deleted.
bool DeleteFile(std::string_view path);

// Removes a folder that holds nothing; false when it is not there, not
// empty, or cannot be removed.
bool RemoveEmptyFolder(std::string_view path);
// Renames, replacing the target; throws drwa::Error with the reason.
void RenameFile(std::string_view from, std::string_view to);

// Creates the folder and its missing parents; throws drwa::Error on failure.
void CreateFolders(std::string_view path);

struct FolderEntry {
    std::string name;  // CP932
    bool is_folder = false;
};

// The entries of a folder (without "." and ".."), in no particular order. A
// missing folder is empty. Names that cannot be expressed in CP932 are errors
// only when `match` accepts their native form: unrelated files never stop a
// search.
using NameFilter = bool (*)(std::string_view native_name);
std::vector<FolderEntry> ListFolder(std::string_view folder, NameFilter match = nullptr);

// What identifies one version of a file on disk: used to notice that another
// program changed it since it was read.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = -1;
    std::int64_t mtime_ns = 0;
    bool operator==(const FileStamp&) const = default;
};
std::optional<FileStamp> StampOf(std::string_view path);

// A file written line by line, each line on disk before the next call; for
// logs that must survive a crash of the process.
class LineLog {
public:
    // Creates or truncates the file; a log that cannot be opened writes nothing.
    explicit LineLog(std::string_view path);
    ~LineLog();
    LineLog(const LineLog&) = delete;
    LineLog& operator=(const LineLog&) = delete;
    void Write(std::string_view line);  // appends line + CR LF

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE
#else
    int fd_ = -1;
#endif
};

// The text of the calling thread's last system error (errno, on Windows
// GetLastError), CP932.
std::string LastSystemErrorText();

}  // namespace drwa::platform
