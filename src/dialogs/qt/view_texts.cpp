#include "dialogs/qt/view_texts.h"

#include "common/error.h"
#include "dialogs/format_panels.h"
#include "dialogs/property_items.h"

namespace drwa::dialogs::qt::texts {

PanelTexts SubjectPanel() {
    return {subject_texts::kRadioCaption, subject_texts::kRadioItems, subject_texts::kLabelSyoshiki,
            subject_texts::kLabelSampleCaption};
}

PanelTexts TitlePanel() {
    return {title_texts::kRadioCaption, title_texts::kRadioItems, title_texts::kLabelSyoshiki,
            title_texts::kLabelSampleCaption};
}

std::string NoScreen(std::string_view problem) {
    return FormatMessage("ダイアログを表示できる画面がありません (%s)", std::string(problem));
}

std::string HostWithoutWidgets() {
    return "ホストのアプリケーションではダイアログを表示できません";
}

std::string NotANumber(std::string_view text) {
    return NotANumberMessage(text);
}

std::string NoCp932Form(std::string_view code) {
    return FormatMessage("Shift_JIS で表せない文字 (%s) は使えません", std::string(code));
}

}  // namespace drwa::dialogs::qt::texts
