#include "config/group_registry.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "config/folders.h"
#include "config/group_list.h"
#include "config/settings_keys.h"
#include "config/text_helpers.h"
#include "platform/charset_edge.h"
#include "platform/files.h"
#include "text/sjis_bytes.h"

namespace drwa::config {
namespace {

// The sort key of one character position: ASCII letters folded to upper case,
// "\" (a level break) below everything; double-byte characters as they are.
std::string SortKey(std::string_view name) {
    std::string key(name);
    for (std::size_t i = 0; i < key.size(); i += text::SjisCharLength(key, i)) {
        char& c = key[i];
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c == '\\')
            c = '\x01';
    }
    return key;
}

bool BytesLess(std::string_view a, std::string_view b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

// Names that a folder scan can turn into stored group names.
bool IsCandidateName(std::string_view native) {
    if (native.empty() || native.front() == '.') return false;
    // A "\" inside one name would read back as two levels.
    if (native.find('\\') != std::string_view::npos) return false;
    return platform::TryUtf8ToCp932(native).has_value();
}

using FolderId = std::pair<std::uint64_t, std::uint64_t>;  // device, inode

struct Scan {
    std::string_view data_folder;
    GroupNameSet& found;
    std::set<FolderId> seen;

    void Folder(const std::string& prefix) {
        std::vector<platform::FolderEntry> entries =
            platform::ListFolder(GroupFolder(data_folder, prefix), IsCandidateName);
        // The order of visits decides which path a linked folder is listed by.
        std::sort(entries.begin(), entries.end(),
                  [](const auto& a, const auto& b) { return BytesLess(a.name, b.name); });
        for (const platform::FolderEntry& entry : entries) {
            if (!entry.is_folder) continue;
            const std::string name = prefix.empty() ? entry.name : prefix + '\\' + entry.name;
            const std::string settings = GroupSettingsPath(data_folder, name);
            if (!platform::FileExists(settings)) continue;
            auto stamp = platform::StampOf(GroupFolder(data_folder, name));
            if (!stamp || !seen.emplace(stamp->device, stamp->inode).second) continue;
            if (!prefix.empty()) GiveOwnIdentity(settings);
            found.insert(name);
            Folder(name);
        }
    }

    // A nested group was usually made by copying its parent's folder, identity
    // included; mails of both would otherwise carry the same group address.
    static void GiveOwnIdentity(const std::string& settings_path) {
        IniFile group(settings_path);
        if (group.ReadBool(keys::kBasic, keys::kSubDir, false)) return;
        group.WriteString(keys::kBasic, keys::kGuid, NewGuidString());
        group.WriteBool(keys::kBasic, keys::kSubDir, true);
    }
};

}  // namespace

bool GroupNameLess::operator()(std::string_view a, std::string_view b) const {
    const std::string ka = SortKey(a), kb = SortKey(b);
    if (ka != kb) return BytesLess(ka, kb);
    return BytesLess(a, b);
}

void ScanGroupFolders(std::string_view data_folder, std::string_view prefix, GroupNameSet& found) {
    Scan scan{data_folder, found, {}};
    if (auto top = platform::StampOf(GroupFolder(data_folder, prefix)))
        scan.seen.emplace(top->device, top->inode);
    scan.Folder(std::string(prefix));
}

void RebuildGroupRegistry(IniFile& account) {
    GroupNameSet names;
    ScanGroupFolders(GetDataFolder(account), "", names);

    int number = 1;
    for (const std::string& name : names) {
        const std::string section = GroupSection(number++);
        if (!account.ValueExists(section, keys::kFolderName) ||
            account.ReadString(section, keys::kFolderName, "") != name)
            account.WriteString(section, keys::kFolderName, name);
    }
    // Sections further on are left alone: GROUP_COUNT ends the list.
    account.EraseSection(GroupSection(number));
    const auto count = static_cast<std::int32_t>(names.size());
    if (!account.ValueExists(keys::kPlugin, keys::kGroupCount) || GroupCount(account) != count)
        account.WriteInteger(keys::kPlugin, keys::kGroupCount, count);
}

}  // namespace drwa::config
