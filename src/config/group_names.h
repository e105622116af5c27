// Naming a group folder: the check of a name the user typed, and the creation
// or renaming of the folder that follows it.
#pragma once

#include <string>
#include <string_view>

namespace drwa::config {

// The rename box of the group dialog: its text and whether the user changed it
// since it was filled.
struct FolderNameEdit {
    std::string text;
    bool modified = false;
};

// Checks `edit.text` as a group folder name directly inside `data_folder`,
// then, for a new group (`current` empty), creates the folder with its missing
// parents (an existing folder is fine), or, when the user changed the name,
// renames data folder + `current` to it without replacing anything. Finally
// `current` becomes the new name and the edit's modified mark is cleared.
// Failures (drwa::Error, nothing changed on disk):
//   "名前を入力してください"                      empty name
//   "名前に' '(スペース)は使えません"              an ASCII space
//   "名前に'　'(スペース)は使えません"             an ideographic space
//   "名前が不適切です。\ や / は使えません。"       anything but one plain level
//   "フォルダ：" + name + "は作成できませんでした"   creation refused
//   name + "への変更はできませんでした"              rename refused
void CommitGroupFolderName(std::string_view data_folder, FolderNameEdit& edit,
                           std::string& current);

// The check alone: the error text for `name`, or empty when it is acceptable.
std::string FolderNameProblem(std::string_view name);

}  // namespace drwa::config
