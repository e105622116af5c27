#include "config/folders.h"

#include <cstdio>

#include "config/settings_keys.h"
#include "platform/files.h"
#include "platform/system.h"
#include "text/sjis_bytes.h"

namespace drwa::config {

using platform::kPathDelimiter;

namespace {
// The last byte that separates path components, outside double-byte
// characters (Windows takes "/" as well as "\\").
std::size_t FindLastDelimiter(std::string_view path) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < path.size(); i += text::SjisCharLength(path, i))
        if (platform::IsPathDelimiter(path[i])) found = i;
    return found;
}
}  // namespace

std::string FolderOfFile(std::string_view path) {
    std::size_t at = FindLastDelimiter(path);
    if (at == std::string_view::npos) return ".";
    std::string folder(path.substr(0, at + 1));
    if (!platform::IsRootFolder(folder)) folder.pop_back();
    return folder;
}

std::string NameOfPath(std::string_view path) {
    std::size_t at = FindLastDelimiter(path);
    return std::string(at == std::string_view::npos ? path : path.substr(at + 1));
}

GroupLabel GroupLabelOf(std::string_view group_folder) {
    return {NameOfPath(FolderOfFile(FolderOfFile(group_folder))), NameOfPath(group_folder)};
}

std::string WithTrailingDelimiter(std::string_view path) {
    std::string out(path);
    std::size_t last = FindLastDelimiter(out);
    if (out.empty() || last != out.size() - 1) out += kPathDelimiter;
    return out;
}

namespace {
std::string BaseFolder(const IniFile& account) {
    const std::string own = FolderOfFile(account.path());
    if (account.ReadBool(keys::kServer, keys::kSpecifyFolder, false))
        return account.ReadString(keys::kServer, keys::kDataFolder, own);
    return own;
}
}  // namespace

std::string GetDataFolder(const IniFile& account) {
    return WithTrailingDelimiter(BaseFolder(account)) + "BBS" + kPathDelimiter;
}

std::string GetSpoolFolder(const IniFile& account) {
    return WithTrailingDelimiter(BaseFolder(account)) + "spool" + kPathDelimiter;
}

namespace {
std::string SwapDelimiter(std::string_view in, char from, char to) {
    std::string out(in);
    for (std::size_t i = 0; i < out.size(); i += text::SjisCharLength(out, i)) {
        if (out[i] == from) out[i] = to;
    }
    return out;
}
}  // namespace

std::string StoredToNativeName(std::string_view stored) {
    return SwapDelimiter(stored, '\\', kPathDelimiter);
}

std::string NativeToStoredName(std::string_view native) {
    return SwapDelimiter(native, kPathDelimiter, '\\');
}

std::string GroupFolder(std::string_view data_folder, std::string_view folder_name) {
    std::string folder = std::string(data_folder) + StoredToNativeName(folder_name);
    while (folder.size() > 1 && platform::IsPathDelimiter(folder.back())) folder.pop_back();
    return folder;
}

std::string FileIn(std::string_view folder, std::string_view name) {
    return platform::JoinPath(folder, name);
}

std::string GroupSection(int number) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%05d", number);
    return buf;
}

std::string ModuleFileWith(std::string_view extension) {
    std::string path = platform::ModulePath();
    std::size_t slash = FindLastDelimiter(path);
    std::size_t dot = path.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) path.resize(dot);
    return path + std::string(extension);
}

std::string InstalledPluginFolder() {
    const std::string beside = FolderOfFile(platform::ModulePath());
    auto shared_under = [](const std::string& prefix) {
        return platform::JoinPath(platform::JoinPath(platform::JoinPath(prefix, "share"), "drwa"),
                                  "plugins");
    };
    // Beside the library; under the prefix of PREFIX/lib/drwa, of
    // PREFIX/lib/ARCH/drwa, of a library in PREFIX/bin.
    const std::string lib = FolderOfFile(beside);
    for (const std::string& folder :
         {platform::JoinPath(beside, "plugins"), shared_under(FolderOfFile(lib)),
          shared_under(FolderOfFile(FolderOfFile(lib))), shared_under(lib)})
        if (platform::FolderExists(folder)) return folder;
    return {};
}

}  // namespace drwa::config
