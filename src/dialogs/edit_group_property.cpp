#include "dialogs/edit_group_property.h"

#include "common/error.h"
#include "config/folders.h"
#include "config/group_names.h"
#include "config/group_registry.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "dialogs/group_dialog_texts.h"

namespace drwa::dialogs {

void EditGroupProperty(std::string_view account_path, std::vector<std::int32_t> groups,
                       DialogServices& services, const ShowGroupDialog& show) {
    {
        TFormGroup dialog(std::string(account_path), std::move(groups), services);
        dialog.FormShow();
        bool ok = false;
        try {
            ok = show(dialog);
        } catch (...) {
            dialog.FormClose();
            throw;
        }
        dialog.FormClose();

        if (ok && !config::TrimText(dialog.EditNameHenko.text).empty() &&
            !dialog.ComboBoxKeijibanName.empty()) {
            std::string current = dialog.ComboBoxKeijibanName.front();
            try {
                const config::IniFile account{std::string(account_path)};
                config::CommitGroupFolderName(config::GetDataFolder(account), dialog.EditNameHenko,
                                              current);
            } catch (const Error& e) {
                services.ShowError(std::string(group_texts::kRenameCancelled) + "\n" + e.what());
            }
        }
    }
    config::IniFile account{std::string(account_path)};
    config::RebuildGroupRegistry(account);
}

}  // namespace drwa::dialogs
