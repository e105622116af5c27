#include "config/group_names.h"

#include "common/error.h"
#include "config/folders.h"
#include "config/group_list.h"
#include "platform/files.h"
#include "platform/folder_move.h"
#include "text/sjis_bytes.h"

namespace drwa::config {
namespace {

bool HasIdeographicSpace(std::string_view name) {
    for (std::size_t i = 0; i + 1 < name.size(); i += text::SjisCharLength(name, i)) {
        if (name[i] == '\x81' && name[i + 1] == '\x40') return true;
    }
    return false;
}

// The name must stay one level below the data folder, the way Windows resolves
// a path: no separator, no "." or "..", and no trailing dot, which Windows
// drops (so "a." would be the folder "a"). This also keeps every name inside
// the data folder here.
bool IsOneLevel(std::string_view name) {
    if (name.back() == '.') return false;
    return IsInsideDataFolder(name) && text::FindLastSjisChar(name, '\\') == std::string_view::npos;
}

}  // namespace

std::string FolderNameProblem(std::string_view name) {
    if (name.empty()) return "名前を入力してください";
    if (name.find(' ') != std::string_view::npos) return "名前に' '(スペース)は使えません";
    if (HasIdeographicSpace(name)) return "名前に'　'(スペース)は使えません";
    if (!IsOneLevel(name)) return "名前が不適切です。\\ や / は使えません。";
    return {};
}

void CommitGroupFolderName(std::string_view data_folder, FolderNameEdit& edit,
                           std::string& current) {
    const std::string& name = edit.text;
    if (std::string problem = FolderNameProblem(name); !problem.empty()) throw Error(problem);

    const std::string target = GroupFolder(data_folder, name);
    if (current.empty()) {
        if (!platform::FolderExists(target)) {
            try {
                platform::CreateFolders(target);
            } catch (const Error&) {
                throw Error("フォルダ：" + name + "は作成できませんでした");
            }
        }
    } else if (edit.modified) {
        const std::string source = GroupFolder(data_folder, current);
        if (source != target) {
            try {
                platform::MoveFolder(source, target);
            } catch (const Error&) {
                throw Error(name + "への変更はできませんでした");
            }
        }
    }
    current = name;
    edit.modified = false;
}

}  // namespace drwa::config
