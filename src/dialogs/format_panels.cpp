#include "dialogs/format_panels.h"

#include <algorithm>

#include "common/error.h"
#include "config/settings_keys.h"
#include "convert/mail_formats.h"

namespace drwa::dialogs {

const std::string_view kNoSectionMessage = "セクションが設定されていません";

namespace subject_texts {
const std::string_view kRadioCaption = "記事番号";
const std::array<std::string_view, 2> kRadioItems{"つけない", "つける"};
const std::string_view kLabelSyoshiki = "Subject($S)と記事番号($N)の書式    数字の桁数";
const std::string_view kLabelSampleCaption = "サンプル　$S=サブジェクト　$N=23　の時";
const std::string_view kSampleTitle = "サブジェクト";
}  // namespace subject_texts

namespace title_texts {
const std::string_view kRadioCaption = "BBSタイトル";
const std::array<std::string_view, 4> kRadioItems{"つけない", "X-KVT7R-BBS-TITLE:につける",
                                                  "Cc:につける", "List-Id:につける"};
const std::string_view kLabelSyoshiki = "グループ名($G)とcmtのT:($T)の書式";
const std::string_view kLabelSampleCaption = "サンプル　$G=TQNAVE　$T=10 お試し掲示板B　の時";
const std::string_view kSampleTitle = "10 お試し掲示板B";
}  // namespace title_texts

namespace {

namespace keys = config::keys;

void RequireSection(const std::string& section) {
    if (section.empty()) throw Error(std::string(kNoSectionMessage));
}

bool IsBlankText(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) <= ' '; });
}

}  // namespace

void TFrameSubjectFrame::Load() {
    RequireSection(Section);
    if (Settings != nullptr) {
        // Mails get the number for any value but 0: the panel shows it so, and
        // an OK without a change keeps the mails as they were.
        RadioGroup1 = Settings->ReadInteger(Section, keys::kSubjectIncludeNumber, 0) != 0 ? 1 : 0;
        EditSyoshiki =
            Settings->ReadString(Section, keys::kSubjectFormat, keys::kDefaultSubjectFormat);
        SpinEditKeta = std::clamp(Settings->ReadInteger(Section, keys::kSubjectZeroNumber,
                                                        keys::kDefaultSubjectZeroNumber),
                                  kMinDigits, kMaxDigits);
    }
    RadioGroup1Click();
    EditSyoshikiChange();
}

void TFrameSubjectFrame::Save() const {
    RequireSection(Section);
    if (Settings == nullptr) return;
    Settings->WriteInteger(Section, keys::kSubjectIncludeNumber, RadioGroup1);
    Settings->WriteInteger(Section, keys::kSubjectZeroNumber,
                           std::clamp(SpinEditKeta, kMinDigits, kMaxDigits));
    Settings->WriteString(
        Section, keys::kSubjectFormat,
        IsBlankText(EditSyoshiki) ? keys::kDefaultSubjectFormat : std::string_view(EditSyoshiki));
}

void TFrameSubjectFrame::RadioGroup1Click() {
    FormatEnabled = RadioGroup1 == 1;
    EditSyoshikiChange();
}

void TFrameSubjectFrame::EditSyoshikiChange() {
    LabelSample = convert::FormatSubject(EditSyoshiki, subject_texts::kSampleTitle,
                                         subject_texts::kSampleNumber,
                                         std::clamp(SpinEditKeta, kMinDigits, kMaxDigits));
}

void TFrameSubjectFrame::SpinEditKetaChange() {
    EditSyoshikiChange();
}

void TFrameBBSTitleFrame::Load() {
    RequireSection(Section);
    if (Settings != nullptr) {
        // Mails put the title into List-Id for any value past the last item
        // (and below 0): the panel shows that item, so an OK keeps the mails
        // as they were.
        const auto last = static_cast<std::int32_t>(title_texts::kRadioItems.size()) - 1;
        const std::int32_t stored =
            Settings->ReadInteger(Section, keys::kTitleInsert, keys::kDefaultTitleInsert);
        RadioGroup1 = stored >= 0 && stored <= last ? stored : last;
        EditSyoshiki = Settings->ReadString(Section, keys::kTitleFormat, keys::kDefaultTitleFormat);
    }
    RadioGroup1Click();
    EditSyoshikiChange();
}

void TFrameBBSTitleFrame::Save() const {
    RequireSection(Section);
    if (Settings == nullptr) return;
    Settings->WriteInteger(Section, keys::kTitleInsert, RadioGroup1);
    Settings->WriteString(Section, keys::kTitleFormat, EditSyoshiki);
}

void TFrameBBSTitleFrame::RadioGroup1Click() {
    FormatEnabled = RadioGroup1 != 0;
    EditSyoshikiChange();
}

void TFrameBBSTitleFrame::EditSyoshikiChange() {
    LabelSample =
        convert::FormatBbsTitle(EditSyoshiki, title_texts::kSampleGroup, title_texts::kSampleTitle);
}

}  // namespace drwa::dialogs
