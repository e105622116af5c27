#include "plugin_files/file_info.h"

#include "plugin_files/pe_resource.h"
#include "platform/files.h"

namespace drwa::plugin_files {

VersionInfo ReadVersionInfo(std::string_view image) {
    VersionInfo info;
    auto resource = FindVersionResource(image);
    if (!resource) return info;
    info.has_resource = true;
    if (auto root = QueryVersionValue(*resource, {})) info.fixed = ReadFixedFileInfo(*root);

    auto translations = QueryVersionValue(*resource, {"VarFileInfo", "Translation"});
    if (!translations) return info;
    auto table = FirstTranslation(*translations);
    if (!table) return info;  // a translation value too short to name a table
    for (std::size_t i = 0; i < kVersionStringNames.size(); ++i) {
        auto value =
            QueryVersionValue(*resource, {"StringFileInfo", *table, kVersionStringNames[i]});
        info.strings[i] = value ? VersionStringToCp932(*value) : std::string(kUnknownVersionString);
    }
    return info;
}

void TFileInfo::SetFileName(std::string_view path) {
    if (path == file_name_) return;
    file_name_ = path;
    // An empty name clears too: strings of the previous file kept under no
    // file name would describe a plugin that is no longer chosen.
    info_ = {};
    if (file_name_.empty()) return;
    if (auto image = platform::ReadFile(file_name_)) info_ = ReadVersionInfo(*image);
}

}  // namespace drwa::plugin_files
