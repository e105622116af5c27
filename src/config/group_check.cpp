#include "config/group_check.h"

#include "config/folders.h"
#include "config/group_list.h"
#include "config/settings_keys.h"
#include "platform/charset_edge.h"
#include "platform/files.h"
#include "text/filename_base64.h"
#include "text/sjis_bytes.h"

namespace drwa::config {
namespace {

constexpr std::string_view kBoardFileExtension = ".cmt";

constexpr char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}

bool SameAsciiNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Upper(a[i]) != Upper(b[i])) return false;
    return true;
}

// Removal is checked at character starts only, so that the trail byte of a
// double-byte character never begins a match.
std::string RemoveAllNoCase(std::string_view text, std::string_view what) {
    if (what.empty()) return std::string(text);
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        if (SameAsciiNoCase(text.substr(i, what.size()), what)) {
            i += what.size();
            continue;
        }
        std::size_t n = text::SjisCharLength(text, i);
        out.append(text.substr(i, n));
        i += n;
    }
    return out;
}

// A decoded source name is outside input: it may only ever name a file
// directly inside the group folder.
bool IsPlainFileName(std::string_view name) {
    if (name.find_first_of(std::string_view("/\0", 2)) != std::string_view::npos) return false;
    if (name.find("..") != std::string_view::npos) return false;
    for (std::size_t i = 0; i < name.size(); i += text::SjisCharLength(name, i))
        if (name[i] == '\\') return false;
    return platform::TryCp932ToUtf8(name).has_value();
}

}  // namespace

std::optional<GroupAddress> ParseGroupAddress(std::string_view address,
                                              std::string_view dummy_domain) {
    const std::string rest = RemoveAllNoCase(address, dummy_domain);
    const std::size_t dot = rest.find('.');
    if (dot == std::string::npos) return GroupAddress{rest, {}};
    std::string base = text::DecodeFileNameBase64(std::string_view(rest).substr(0, dot));
    if (!IsPlainFileName(base)) return std::nullopt;
    return GroupAddress{rest.substr(dot + 1), base + std::string(kBoardFileExtension)};
}

bool CheckGroup(const IniFile& account, std::string_view address, std::string_view dummy_domain) {
    const std::optional<GroupAddress> parsed = ParseGroupAddress(address, dummy_domain);
    // A group without an identity has no address, so nothing can name it.
    if (!parsed || parsed->identity.empty()) return false;

    const std::string data = GetDataFolder(account);
    const std::int32_t count = GroupCount(account);
    for (std::int32_t index = 0; index < count; ++index) {
        const std::string name = FolderNameOf(account, index);
        IniFile group(GroupSettingsPath(data, name));
        if (group.ReadString(keys::kBasic, keys::kGuid, "") != parsed->identity) continue;
        if (!group.ReadBool(keys::kBasic, keys::kBbsFolder, false)) return false;
        if (parsed->board_file.empty()) return true;
        return platform::FileExists(FileIn(GroupFolder(data, name), parsed->board_file));
    }
    return false;
}

}  // namespace drwa::config
