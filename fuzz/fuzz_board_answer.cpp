// A plugin's answer to "does it read this board" on any bytes, and the group
// name made from the title it gave. Nothing may fail; a title holds no control
// character; a name made is one the group dialog's check accepts, of one
// level, within its length, and never hidden.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/group_names.h"
#include "dialogs/board_group_name.h"
#include "receive/board_question.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto title = drwa::receive::ParseBoardAnswer(text);
    if (!title) return 0;
    for (const char c : *title)
        if (static_cast<unsigned char>(c) < 0x20 || c == '\x7f') std::abort();
    const std::string name = drwa::dialogs::GroupNameFromTitle(*title);
    if (name.empty()) return 0;
    if (!drwa::config::FolderNameProblem(name).empty()) std::abort();
    if (name.size() > drwa::dialogs::kTitleNameBytes || name.front() == '.') std::abort();
    return 0;
}
