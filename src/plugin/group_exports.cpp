// The exports that read and change the account's groups. Each opens the
// settings it needs from the path it is given and hands the work to the
// group registry.
#include <cstring>

#include "common/error.h"
#include "common/limits.h"
#include "config/group_check.h"
#include "config/group_delete.h"
#include "config/group_list.h"
#include "config/ini_file.h"
#include "config/shared_records.h"
#include "drwa_plugin.h"
#include "platform/keyboard.h"
#include "plugin/boundary.h"
#include "plugin/group_arguments.h"
#include "plugin/screen_questions.h"
#include "text/sjis_bytes.h"

namespace drwa::plugin {
namespace {

// At most 255 bytes and a zero, never half a double-byte character.
void CopyHostText(char* out, std::string_view text) {
    if (!out) return;
    std::size_t n = text::SjisSafeCut(text, limits::kHostText);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

void SetNumber(std::int32_t* out) {
    if (out) *out = 0;
}

}  // namespace
}  // namespace drwa::plugin

using namespace drwa;

extern "C" {

int32_t DRWA_CALL GetGroupProperty(const char* account_path, int32_t index, char* name,
                                   int32_t* number1, int32_t* number2, int32_t* number3,
                                   char* text1, char* text2, char* text3) {
    return plugin::RunExport(1, [&] {
        plugin::SetNumber(number1);
        plugin::SetNumber(number2);
        plugin::SetNumber(number3);
        plugin::CopyHostText(text1, "");
        plugin::CopyHostText(text3, "");
        const config::GroupProperty property =
            config::ReadGroupProperty(plugin::Account(account_path), index);
        plugin::CopyHostText(name, property.name);
        plugin::CopyHostText(text2, property.read_position);
        return 0;
    });
}

int32_t DRWA_CALL GetGroupEnabled(const char* account_path, int32_t index) {
    return plugin::RunExport(
        0, [&] { return config::ReadGroupEnabled(plugin::Account(account_path), index) ? 1 : 0; });
}

int32_t DRWA_CALL SetGroupEnabled(const char* account_path, const int32_t* groups, int32_t count,
                                  int32_t enabled) {
    return plugin::RunExport(1, [&] {
        config::WriteGroupsEnabled(plugin::Account(account_path), plugin::GroupList(groups, count),
                                   enabled != 0);
        return 0;
    });
}

int32_t DRWA_CALL DeleteGroup(DrwaWindow window, const char* account_path, const int32_t* groups,
                              int32_t count) {
    return plugin::RunExport(1, [&] {
        // The key counts as it is when the user chose the command, before the
        // question is on the screen.
        const auto how =
            platform::ShiftKeyHeld() ? config::Deletion::kForGood : config::Deletion::kToTrash;
        config::IniFile account = plugin::Account(account_path);
        // A message box for a user at the screen; the terminal for scripts.
        plugin::ScreenQuestions questions(window);
        config::DeleteGroups(account, plugin::GroupList(groups, count), how, questions.service());
        return 0;
    });
}

int32_t DRWA_CALL CheckGroup(const char* account_path, const char* address) {
    return plugin::RunExport(0, [&] {
        if (!address) return 0;
        return config::CheckGroup(plugin::Account(account_path), address, config::ReadDummyDomain())
                   ? 1
                   : 0;
    });
}

}  // extern "C"
