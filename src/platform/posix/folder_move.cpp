#include "platform/folder_move.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/error.h"
#include "platform/files.h"

namespace drwa::platform {

void MoveFolder(std::string_view from, std::string_view to) {
    const std::filesystem::path source = NativePath(from);
    const std::filesystem::path target = NativePath(to);
    // rename() would silently replace an empty folder at the target.
    int result = ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
        // A file system without the flag: check first, accepting the small
        // window between the check and the rename.
        struct stat st {};
        if (::lstat(target.c_str(), &st) == 0) {
            errno = EEXIST;
        } else {
            result = ::rename(source.c_str(), target.c_str());
        }
    }
    if (result != 0) throw Error(std::string(from) + ": " + LastSystemErrorText());
}

}  // namespace drwa::platform
