#include "post/outbox_states.h"

#include <algorithm>

#include "common/error.h"
#include "config/folders.h"
#include "platform/files.h"

namespace drwa::post {

std::string MoveMailInto(const std::string& file, const std::string& folder) {
    if (!platform::FolderExists(folder)) platform::CreateFolders(folder);
    const std::string name = config::NameOfPath(file);
    // The host picks its outbox names afresh and may use one again: a held
    // mail of the same name must not be replaced.
    // A number before the extension keeps the name one the outbox's search
    // finds ("vxq1.tmp", "vxq1-2.tmp").
    const std::size_t dot = name.rfind('.');
    const std::string stem = name.substr(0, dot),
                      extension = dot == std::string::npos ? "" : name.substr(dot);
    std::string target = platform::JoinPath(folder, name);
    for (int n = 2; platform::FileExists(target); ++n)
        target = platform::JoinPath(folder, stem + "-" + std::to_string(n) + extension);
    platform::RenameFile(file, target);
    return target;
}

std::vector<std::string> HoldInterruptedMails(const std::string& outbox) {
    const std::string sending = platform::JoinPath(outbox, kSendingFolder);
    std::vector<std::string> names;
    for (const platform::FolderEntry& e : platform::ListFolder(sending))
        if (!e.is_folder && !e.name.starts_with(".")) names.push_back(e.name);
    std::sort(names.begin(), names.end());
    std::vector<std::string> held;
    const std::string held_folder = platform::JoinPath(outbox, kHeldFolder);
    for (const std::string& name : names)
        held.push_back(MoveMailInto(platform::JoinPath(sending, name), held_folder));
    return held;
}

}  // namespace drwa::post
