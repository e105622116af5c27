// The Linux build's screen: Qt's views and message boxes, in the module
// beside the library. It is opened on the first call that shows something and
// kept until the library goes, so that no other call makes the process load
// Qt. The display check and the application object stay inside the module
// (qt_session.cpp): Qt ends the process when made without a display.
#include <string>

#include "common/error.h"
#include "config/folders.h"
#include "config/shared_records.h"
#include "dialogs/qt/module_entry.h"
#include "platform/files.h"
#include "platform/loaded_module.h"
#include "platform/system.h"
#include "plugin/screen_views.h"

namespace drwa::plugin {
namespace {

namespace qt = dialogs::qt;

// The opened module and its table.
class QtViews {
  public:
    explicit QtViews(const std::string& path) : module_(path), entry_(FindEntry(module_)) {}
    const qt::ModuleEntry& entry() const { return entry_; }

  private:
    static const qt::ModuleEntry& FindEntry(const platform::LoadedModule& module) {
        using Entry = const qt::ModuleEntry* (*)();
        const auto find = reinterpret_cast<Entry>(module.Find(qt::kModuleEntrySymbol));
        const qt::ModuleEntry* entry = find ? find() : nullptr;
        if (!entry || entry->version != qt::kModuleEntryVersion)
            throw Error("このライブラリと版が合いません");
        return *entry;
    }

    platform::LoadedModule module_;
    const qt::ModuleEntry& entry_;
};

// The module beside the library, opened by the first call that succeeds: a
// failed attempt is made again by the next call, which finds a module
// installed meanwhile. A missing or foreign module is a fault of the
// installation, so the message names the file looked for.
const qt::ModuleEntry& Views() {
    const std::string path =
        platform::JoinPath(config::FolderOfFile(platform::ModulePath()), DRWA_QT_MODULE_FILE);
    try {
        static const QtViews views(path);
        return views.entry();
    } catch (const Error& e) {
        throw Error(FormatMessage("ダイアログを表示する部品 %s を読み込めません", path) + " (" +
                    e.what() + ")");
    }
}

// Runs one call of the table; its failure becomes the export's error.
template <typename Call>
void Run(Call&& call) {
    std::string reason;
    const auto keep = [](void* context, const char* text) {
        *static_cast<std::string*>(context) = text ? text : "";
    };
    if (call(Views(), +keep, &reason) != qt::kModuleDone) throw Error(reason);
}

class QtMessageBoxes final : public platform::QuestionService {
  public:
    platform::Answer AskOkCancel(std::string_view text) override {
        return Ask(qt::kAskOkCancel, text) ? platform::Answer::kOk : platform::Answer::kCancel;
    }
    bool AskYesNo(std::string_view text) override { return Ask(qt::kAskYesNo, text); }
    void ShowError(std::string_view text) override { Ask(qt::kShowError, text); }
    void ShowInformation(std::string_view text) override { Ask(qt::kShowInformation, text); }

  private:
    static bool Ask(qt::ModuleQuestion question, std::string_view text) {
        const std::string line(text);
        std::int32_t answer = 0;
        Run([&](const qt::ModuleEntry& entry, qt::FailureSink fail, void* context) {
            return entry.ask(question, line.c_str(), &answer, fail, context);
        });
        return answer != 0;
    }
};

}  // namespace

void EditAccountOnScreen(std::string_view account_path, DrwaWindow /*owner*/) {
    const std::string path(account_path);
    const std::string domain = config::ReadDummyDomain();
    const qt::HostRecords records{domain.c_str()};
    Run([&](const qt::ModuleEntry& entry, qt::FailureSink fail, void* context) {
        return entry.edit_account(path.c_str(), &records, fail, context);
    });
}

void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups,
                               DrwaWindow /*owner*/) {
    const std::string path(account_path);
    const std::string domain = config::ReadDummyDomain();
    const qt::HostRecords records{domain.c_str()};
    Run([&](const qt::ModuleEntry& entry, qt::FailureSink fail, void* context) {
        return entry.edit_group_property(path.c_str(), groups.data(),
                                         static_cast<std::int32_t>(groups.size()), &records, fail,
                                         context);
    });
}

std::unique_ptr<platform::QuestionService> MessageBoxes(DrwaWindow /*owner*/) {
    return std::make_unique<QtMessageBoxes>();
}

}  // namespace drwa::plugin
