// The Qt module's side of its table: each call runs the views' own entry and
// turns any failure into a status and a reason, as nothing may be thrown
// across into the library. No Qt header here: this file is compiled to CP932
// like the library that reads its texts.
#include "dialogs/qt/module_entry.h"

#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "config/shared_records.h"
#include "dialogs/qt/dialog_entry.h"
#include "dialogs/qt/qt_session.h"
#include "platform/question.h"

namespace drwa::dialogs::qt {
namespace {

template <typename Body>
std::int32_t Guarded(FailureSink fail, void* context, Body&& body) noexcept {
    try {
        body();
        return kModuleDone;
    } catch (const std::bad_alloc&) {
        fail(context, "メモリが不足しています");
    } catch (const std::exception& e) {
        fail(context, e.what());
    } catch (...) {
        fail(context, "不明なエラーが発生しました");
    }
    return kModuleFailed;
}

// The host's records put where this copy of the core reads them: its own
// shared block, kept while the module is loaded, written again by each call.
// A block that cannot be written is read as the library's would be then: the
// fallback domain.
void TakeRecords(const HostRecords& records) {
    static const struct KeptBlock {
        KeptBlock() { config::KeepSharedBlock(); }
        ~KeptBlock() { config::ReleaseSharedBlock(); }
    } kept;
    config::StoreDummyDomain(records.dummy_domain);
}

std::int32_t EditAccount(const char* account_path, const HostRecords* records, FailureSink fail,
                         void* context) {
    return Guarded(fail, context, [&] {
        TakeRecords(*records);
        EditAccountOnScreen(account_path);
    });
}

std::int32_t EditGroupProperty(const char* account_path, const std::int32_t* groups,
                               std::int32_t count, const HostRecords* records, FailureSink fail,
                               void* context) {
    return Guarded(fail, context, [&] {
        TakeRecords(*records);
        std::vector<std::int32_t> list;
        if (count > 0) list.assign(groups, groups + count);
        EditGroupPropertyOnScreen(account_path, std::move(list));
    });
}

std::int32_t Ask(std::int32_t question, const char* text, std::int32_t* answer, FailureSink fail,
                 void* context) {
    return Guarded(fail, context, [&] {
        platform::QuestionService& questions = DialogQuestions();
        switch (question) {
            case kAskOkCancel:
                *answer = questions.AskOkCancel(text) == platform::Answer::kOk ? 1 : 0;
                break;
            case kAskYesNo:
                *answer = questions.AskYesNo(text) ? 1 : 0;
                break;
            case kShowError:
                questions.ShowError(text);
                break;
            case kShowInformation:
                questions.ShowInformation(text);
                break;
        }
    });
}

constexpr ModuleEntry kEntry{kModuleEntryVersion, EditAccount, EditGroupProperty, Ask};

}  // namespace
}  // namespace drwa::dialogs::qt

extern "C" __attribute__((visibility("default"))) const drwa::dialogs::qt::ModuleEntry*
drwa_qt_module_entry() {
    return &drwa::dialogs::qt::kEntry;
}
