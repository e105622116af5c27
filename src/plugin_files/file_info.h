// What an executable plugin says about itself: the strings and the fixed block
// of its version resource, read from the file the group properties dialog
// shows. Texts are CP932, like all text inside the library.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "plugin_files/version_block.h"

namespace drwa::plugin_files {

// The strings read from the resource, in the order the reader keeps them.
enum class VersionString : std::size_t {
    kProductVersion,
    kCompanyName,
    kOriginalFilename,
    kFileDescription,
    kFileVersion,
    kInternalName,
    kProductName,
    kComments,
    kLegalCopyright,
};

// The string-table key of each VersionString, in the same order.
inline constexpr std::array<std::string_view, 9> kVersionStringNames{
    "ProductVersion", "CompanyName", "OriginalFilename", "FileDescription", "FileVersion",
    "InternalName",   "ProductName", "Comments",         "LegalCopyright",
};

// What a string is when the table of the first translation lacks it.
inline constexpr std::string_view kUnknownVersionString = "UnKnown";

// What one image holds, read as the reader reads a file: no version resource
// -> all empty; no translation -> strings empty, the fixed block kept; else
// the first translation's table with "UnKnown" for each string it lacks.
struct VersionInfo {
    bool has_resource = false;
    FixedFileInfo fixed;  // all zero without a resource
    std::array<std::string, kVersionStringNames.size()> strings;
};
VersionInfo ReadVersionInfo(std::string_view image);

class TFileInfo {
  public:
    // Does nothing for the path already read (compared byte for byte, so
    // another spelling of the same file reads it again); otherwise reads
    // `path`. A file that can't be read, has no version resource or no
    // translation leaves every string empty.
    void SetFileName(std::string_view path);

    const std::string& FileName() const { return file_name_; }
    const std::string& Get(VersionString which) const {
        return info_.strings[static_cast<std::size_t>(which)];
    }
    // The fixed block as read; all zero without a resource.
    const FixedFileInfo& Fixed() const { return info_.fixed; }
    // Whether the last read found a version resource at all.
    bool HasResource() const { return info_.has_resource; }

  private:
    std::string file_name_;
    VersionInfo info_;
};

}  // namespace drwa::plugin_files
