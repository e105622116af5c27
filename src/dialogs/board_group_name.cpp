#include "dialogs/board_group_name.h"

#include "config/group_names.h"
#include "text/sjis_bytes.h"

namespace drwa::dialogs {

std::string GroupNameFromTitle(std::string_view title) {
    std::string name;
    for (std::size_t i = 0; i < title.size();) {
        const std::size_t n = text::SjisCharLength(title, i);
        const std::string_view c = title.substr(i, n);
        i += n;
        const bool ideographic_space = c == "\x81\x40";
        const bool refused =
            c.size() == 1 && (static_cast<unsigned char>(c[0]) <= 0x20 || c[0] == '\x7f' ||
                              c.find_first_of("\\/:*?\"<>|") == 0);
        if (ideographic_space || refused) {
            if (!name.empty() && name.back() != '_') name += '_';
            continue;
        }
        if (name.size() + c.size() > kTitleNameBytes) break;
        name += c;
    }
    // A leading "." hides the folder, a trailing one is dropped by Windows.
    const std::size_t first = name.find_first_not_of("_.");
    if (first == std::string::npos) return {};
    name.erase(0, first);
    // Trailing "_" and "." are single bytes, never a double-byte character's
    // trail byte (those are 0x40 and above, but "_" 0x5F can be one: only
    // strip while the byte starts a character of its own).
    while (!name.empty()) {
        std::size_t last = 0;
        for (std::size_t i = 0; i < name.size(); i += text::SjisCharLength(name, i)) last = i;
        if (last + 1 != name.size() || (name.back() != '_' && name.back() != '.')) break;
        name.pop_back();
    }
    return config::FolderNameProblem(name).empty() ? name : std::string();
}

}  // namespace drwa::dialogs
