// Files written in steps: under a hidden name first, their own name only once
// whole; and files that only grow. For output that arrives in pieces (a
// plugin's error output) and for work that a crash or a full disk may cut
// short (the mails of one article file), where whoever reads the folder must
// never see half a file and the next run must know what was done.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace drwa::platform {

// A file that replaces `path` whole when committed. Nothing is created before
// the first byte; the bytes go to a hidden file beside the target, which is
// removed again when the object goes without a commit. A failure to write is
// remembered, not thrown: the target then stays as it was.
class ReplacingFile {
  public:
    explicit ReplacingFile(std::string_view path);
    ~ReplacingFile();
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;

    // False once any write failed; later bytes are then dropped.
    bool Append(std::string_view bytes);
    // True when bytes were appended and none failed.
    bool HasContent() const { return IsOpen(); }
    // Puts the written bytes in place of the target (after they reached the
    // disk). Throws drwa::Error with the system's reason; nothing to commit
    // (no byte, or a failed write) is no error and leaves the target alone.
    void Commit();

  private:
    void Abandon() noexcept;

#ifdef _WIN32
    std::string path_;     // CP932, for messages
    std::wstring target_;  // native
    std::wstring temp_;    // native, once created
    void* file_ = nullptr;  // HANDLE of the hidden file
    bool IsOpen() const { return file_ != nullptr; }
#else
    std::string target_;  // native
    std::string temp_;    // native, once created
    int fd_ = -1;
    bool IsOpen() const { return fd_ >= 0; }
#endif
    bool failed_ = false;
};

// A file that only grows, each append on its way to the disk before the call
// returns, so that the process may die at any moment after it. A last line
// that a crash cut short (no CR LF at its end) is dropped when the file is
// opened.
class AppendOnlyFile {
  public:
    // Opens `path`, creating it when missing. Throws drwa::Error with the
    // system's reason.
    explicit AppendOnlyFile(std::string_view path);
    ~AppendOnlyFile();
    AppendOnlyFile(const AppendOnlyFile&) = delete;
    AppendOnlyFile& operator=(const AppendOnlyFile&) = delete;

    // What the file held when it was opened, up to its last CR LF.
    const std::string& earlier() const { return earlier_; }
    // Appends all of `bytes` or none of them: on failure (a full disk) the file
    // is cut back to its former end and drwa::Error thrown with the reason.
    void Append(std::string_view bytes);
    // Closes and deletes the file; false when it could not be deleted.
    bool Remove();

  private:
    std::string path_;  // CP932, for messages
    std::string earlier_;
    std::uint64_t size_ = 0;
#ifdef _WIN32
    std::wstring native_;
    void* file_ = nullptr;  // HANDLE
#else
    std::string native_;
    int fd_ = -1;
#endif
};

// A folder kept open for many files written and renamed in it (the mails of
// a conversion): each name is found from the folder, not walked to from the
// root again (on Windows the folder's path is kept instead). Names are file
// names without a folder; errors name the file.
class OpenFolder {
  public:
    // Throws drwa::Error with the system's reason when the folder cannot be
    // opened.
    explicit OpenFolder(std::string_view folder);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    bool Exists(std::string_view name) const;
    // False when it did not exist or could not be deleted.
    bool Delete(std::string_view name) const;
    // Writes `bytes` as the file `name`, replacing any file of that name; a
    // file cut short by a failure is removed before drwa::Error is thrown.
    // Not flushed to the disk. Meant for hidden names that nobody else reads.
    void WriteStaging(std::string_view name, std::string_view bytes) const;
    // Gives the file `from` the name `to` unless a file of that name exists
    // (false then, `from` left as it is). Throws drwa::Error with the reason
    // on other failures.
    bool RenameNoReplace(std::string_view from, std::string_view to) const;

  private:
    [[noreturn]] void Fail(std::string_view name, int err) const;

    std::string folder_;  // CP932, ending in a delimiter
#ifndef _WIN32
    std::string Native(std::string_view name) const;
    int fd_ = -1;
#endif
};

}  // namespace drwa::platform
