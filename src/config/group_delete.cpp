#include "config/group_delete.h"

#include <string_view>
#include <utility>
#include <vector>

#include "common/error.h"
#include "config/folders.h"
#include "config/group_list.h"
#include "config/group_registry.h"
#include "platform/trash.h"

namespace drwa::config {
namespace {

// True when `name` is `taken` or lies below it.
bool GoneWith(std::string_view name, std::string_view taken) {
    if (name.size() < taken.size() || name.substr(0, taken.size()) != taken) return false;
    return name.size() == taken.size() || name[taken.size()] == '\\';
}

}  // namespace

std::string DeletionQuestion(Deletion how) {
    if (how == Deletion::kForGood)
        return "選択されたグループを完全に削除してよろしいですか？\n"
               "データも完全に削除されます（ゴミ箱には入りません）";
    return "選択されたグループを削除してよろしいですか？\n"
           "データも削除されます（すべてゴミ箱に入ります）";
}

bool DeleteGroups(IniFile& account, std::span<const std::int32_t> indexes, Deletion how,
                  platform::QuestionService& questions) {
    if (questions.AskOkCancel(DeletionQuestion(how)) != platform::Answer::kOk) return false;

    // Every name is checked before anything is deleted: a name edited by hand
    // could name the data folder itself or a folder outside it.
    std::vector<std::string> names;
    for (std::int32_t index : indexes) {
        std::string name = FolderNameOf(account, index);
        if (name.empty()) continue;
        if (!IsInsideDataFolder(name)) throw Error("グループのフォルダ名が不適切です: " + name);
        names.push_back(std::move(name));
    }

    const std::string data = GetDataFolder(account);
    std::vector<std::string_view> deleted;
    for (const std::string& name : names) {
        bool gone = false;
        for (std::string_view taken : deleted) gone = gone || GoneWith(name, taken);
        if (gone) continue;
        const std::string folder = GroupFolder(data, name);
        if (how == Deletion::kForGood) {
            platform::DeleteForGood(folder);
        } else {
            platform::MoveToTrash(folder);
        }
        deleted.push_back(name);
    }
    RebuildGroupRegistry(account);
    return true;
}

}  // namespace drwa::config
