// The table through which the library reaches the Qt views, built as a module
// of their own (libdrwa_plugin_qt.so) that the library opens the first time a
// dialog or a message box is wanted: only then does the process load Qt.
//
// Module and library each hold their own copy of the core, so no C++ object
// and no exception crosses this boundary: texts are CP932 C strings, and a
// failure is a status with its reason handed to the caller's sink. The state
// the copies cannot share comes with the calls (HostRecords); what the core
// finds beside its own module (the installed plugins) is the same for both,
// as the module lies in the library's folder. No Qt header here, as for
// dialog_entry.h.
#pragma once

#include <cstdint>

namespace drwa::dialogs::qt {

// Told the reason (CP932) of a failed call before the call returns; `context`
// is the caller's, passed through.
using FailureSink = void (*)(void* context, const char* reason);

enum ModuleStatus : std::int32_t { kModuleDone = 0, kModuleFailed = 1 };

enum ModuleQuestion : std::int32_t {
    kAskOkCancel = 0,
    kAskYesNo = 1,
    kShowError = 2,
    kShowInformation = 3,
};

// The library's shared records that the module's copy of the core cannot see
// (its shared block is its own) and the dialogs read: the host's dummy domain,
// which the group dialog's import writes into the mails.
struct HostRecords {
    const char* dummy_domain;
};

// Raised whenever the table changes, so that a library never calls a module
// of another build through a table it does not know.
inline constexpr std::uint32_t kModuleEntryVersion = 1;

struct ModuleEntry {
    std::uint32_t version;
    // EditAccountOnScreen and EditGroupPropertyOnScreen (dialog_entry.h), with
    // the library's records as they are at the call.
    std::int32_t (*edit_account)(const char* account_path, const HostRecords* records,
                                 FailureSink fail, void* context);
    std::int32_t (*edit_group_property)(const char* account_path, const std::int32_t* groups,
                                        std::int32_t count, const HostRecords* records,
                                        FailureSink fail, void* context);
    // One question of DialogQuestions() (qt_session.h): `*answer` is 1 for OK
    // or Yes, 0 for Cancel or No; messages leave it alone.
    std::int32_t (*ask)(std::int32_t question, const char* text, std::int32_t* answer,
                        FailureSink fail, void* context);
};

// The name under which the module exports its table.
inline constexpr const char* kModuleEntrySymbol = "drwa_qt_module_entry";

}  // namespace drwa::dialogs::qt

extern "C" {
// The module's one export: its table, valid while the module is loaded.
const drwa::dialogs::qt::ModuleEntry* drwa_qt_module_entry();
}
