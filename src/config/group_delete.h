// Deleting groups: their folders with everything in them, after asking the
// user, followed by a rebuild of the group list.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "config/ini_file.h"
#include "platform/question.h"

namespace drwa::config {

enum class Deletion {
    kToTrash,  // undoable: the folders go to the trash
    kForGood,  // the user held Shift: nothing can be restored
};

// The question asked before deleting, its two lines separated by "\n".
std::string DeletionQuestion(Deletion how);

// Asks the question; on Cancel returns false with nothing changed, not even
// the account settings file. Otherwise deletes the folder of every listed
// group in order, passing over an empty FOLDER_NAME and a folder that an
// earlier deletion of this call already took with it (a nested group listed
// with its parent, an index listed twice), then rebuilds and returns true.
// A failed deletion ends the call with drwa::Error: what was deleted stays
// deleted and the list is not rebuilt. A FOLDER_NAME that would lead out of
// the data folder fails the call before anything is deleted.
bool DeleteGroups(IniFile& account, std::span<const std::int32_t> indexes, Deletion how,
                  platform::QuestionService& questions);

}  // namespace drwa::config
