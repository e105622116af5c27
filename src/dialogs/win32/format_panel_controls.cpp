#include "dialogs/win32/format_panel_controls.h"

// after windows.h, which it needs
#include <commctrl.h>

#include <array>

namespace drwa::dialogs::win32 {
namespace {

namespace ids = panel_ids;

constexpr DWORD kLabel = WS_GROUP | SS_LEFT;
constexpr DWORD kPlainLabel = kLabel | SS_NOPREFIX;
constexpr DWORD kEdit = WS_GROUP | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL;
constexpr DWORD kFirstRadio = WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON;
constexpr DWORD kRadio = BS_AUTORADIOBUTTON;

short At(short origin, int offset) {
    return static_cast<short>(origin + offset);
}

void CheckOne(HWND dialog, int first, int count, int item) {
    for (int i = 0; i < count; ++i)
        ::CheckDlgButton(dialog, first + i, i == item ? BST_CHECKED : BST_UNCHECKED);
}

void EnableRange(HWND dialog, int first, int last, bool on) {
    for (int id = first; id <= last; ++id) ::EnableWindow(::GetDlgItem(dialog, id), on);
}

}  // namespace

template <>
void SubjectPanelControls::Build(PagedDialog& d, int page, short x, short y) {
    namespace st = subject_texts;
    d.Add(page, {WC_BUTTONW, st::kRadioCaption, WS_GROUP | BS_GROUPBOX, At(x, 12), At(y, 24), 276,
                 28, base_});
    const std::array<char, 2> letters{'N', 'Y'};
    for (int i = 0; i < 2; ++i)
        d.Add(page, {WC_BUTTONW, Accelerated(st::kRadioItems[i], letters[i]),
                     i == 0 ? kFirstRadio : kRadio, At(x, 20 + 130 * i), At(y, 36), 110, 10,
                     base_ + ids::kRadio1 + i});
    d.AddNumber(page, base_ + ids::kDigits, At(x, 220), At(y, 70), TFrameSubjectFrame::kMinDigits,
                TFrameSubjectFrame::kMaxDigits, 1, 2);
    d.Add(page, {WC_STATICW, st::kLabelSyoshiki, kPlainLabel, At(x, 14), At(y, 58), 272, 9,
                 base_ + ids::kFormatLabel});
    d.Add(page, {WC_EDITW, "", kEdit, At(x, 14), At(y, 70), 200, 12, base_ + ids::kFormat});
    d.Add(page, {WC_STATICW, st::kLabelSampleCaption, kPlainLabel, At(x, 14), At(y, 90), 272, 9,
                 base_ + ids::kSampleCaption});
    d.Add(page, {WC_STATICW, "", kPlainLabel, At(x, 14), At(y, 102), 272, 9, base_ + ids::kSample});
}

template <>
void TitlePanelControls::Build(PagedDialog& d, int page, short x, short y) {
    namespace tt = title_texts;
    d.Add(page, {WC_BUTTONW, tt::kRadioCaption, WS_GROUP | BS_GROUPBOX, At(x, 12), At(y, 24), 276,
                 62, base_});
    const std::array<char, 4> letters{'N', 'X', 'C', 'L'};
    for (int i = 0; i < 4; ++i)
        d.Add(page, {WC_BUTTONW, Accelerated(tt::kRadioItems[i], letters[i]),
                     i == 0 ? kFirstRadio : kRadio, At(x, 20), At(y, 36 + 12 * i), 200, 10,
                     base_ + ids::kRadio1 + i});
    d.Add(page, {WC_STATICW, Accelerated(tt::kLabelSyoshiki, 'F'), kLabel, At(x, 14), At(y, 92),
                 272, 9, base_ + ids::kFormatLabel});
    d.Add(page, {WC_EDITW, "", kEdit, At(x, 14), At(y, 104), 200, 12, base_ + ids::kFormat});
    d.Add(page, {WC_STATICW, tt::kLabelSampleCaption, kPlainLabel, At(x, 14), At(y, 124), 272, 9,
                 base_ + ids::kSampleCaption});
    d.Add(page, {WC_STATICW, "", kPlainLabel, At(x, 14), At(y, 136), 272, 9, base_ + ids::kSample});
}

template <typename Panel>
void PanelControls<Panel>::Show(HWND dialog) {
    CheckOne(dialog, base_ + ids::kRadio1, kRadioItems, model_.RadioGroup1);
    if constexpr (kHasDigits)
        ::SetDlgItemInt(dialog, base_ + ids::kDigits, static_cast<UINT>(model_.SpinEditKeta),
                        FALSE);
    SetCp932Text(::GetDlgItem(dialog, base_ + ids::kFormat), model_.EditSyoshiki);
    ShowPreview(dialog);
}

// The subject panel's digits go with its format; the title panel's radio
// group stays active whatever is chosen.
template <typename Panel>
void PanelControls<Panel>::ShowPreview(HWND dialog) {
    SetCp932Text(::GetDlgItem(dialog, base_ + ids::kSample), model_.LabelSample);
    EnableRange(dialog, base_ + (kHasDigits ? ids::kDigits : ids::kFormatLabel),
                base_ + ids::kSample, model_.FormatEnabled);
}

template <typename Panel>
bool PanelControls<Panel>::Command(HWND dialog, int id, int code, WindowDialogServices& services) {
    const int item = id - base_;
    if (item >= ids::kRadio1 && item < ids::kRadio1 + kRadioItems) {
        if (code != BN_CLICKED) return true;
        model_.RadioGroup1 = item - ids::kRadio1;
        model_.RadioGroup1Click();
    } else if (kHasDigits && item == ids::kDigits) {
        BOOL ok = FALSE;
        const UINT digits = ::GetDlgItemInt(dialog, id, &ok, FALSE);
        if (code != EN_CHANGE || !ok) return true;
        if constexpr (kHasDigits) {
            model_.SpinEditKeta = static_cast<int>(digits);
            model_.SpinEditKetaChange();
        }
    } else if (item == ids::kFormat) {
        if (code != EN_CHANGE) return true;
        // Refused text leaves the panel's format, which Save writes.
        TakeTypedText(::GetDlgItem(dialog, id), model_.EditSyoshiki, services);
        model_.EditSyoshikiChange();
    } else {
        return item >= 0 && item <= ids::kSample;
    }
    ShowPreview(dialog);
    return true;
}

template class PanelControls<TFrameSubjectFrame>;
template class PanelControls<TFrameBBSTitleFrame>;

}  // namespace drwa::dialogs::win32
