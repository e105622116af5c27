// The whole of editing groups in the dialog: show it, apply the rename it
// asked for, and rebuild the group list, after OK and after Cancel alike.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "dialogs/dialog_services.h"
#include "dialogs/group_dialog.h"

namespace drwa::dialogs {

// Runs the dialog modally: true when it was closed with OK. The dialog has
// been shown (FormShow) before and is closed (FormClose) after.
using ShowGroupDialog = std::function<bool(TFormGroup&)>;

// New-group mode when `groups` is empty. A rename that fails is reported as
// "名前の変更は中止しました" and the reason; it does not fail the call. Fails
// only when the group list cannot be rebuilt.
void EditGroupProperty(std::string_view account_path, std::vector<std::int32_t> groups,
                       DialogServices& services, const ShowGroupDialog& show);

}  // namespace drwa::dialogs
