// The subject and board-title panels as controls of a Win32 settings dialog,
// over the panels' behaviour in dialogs/format_panels.h. The account dialog
// and the group dialog each put both on pages of their own.
//
// A panel's controls take IDs from its base: the radio group's box `base`,
// its items base + 1 on, the digits (subject only) base + 3 with their arrows
// base + 4, the format's label base + 5, the format base + 6, the preview's
// caption base + 7 and the preview base + 8.
#pragma once

#include <windows.h>

#include <type_traits>

#include "dialogs/format_panels.h"
#include "dialogs/win32/paged_dialog.h"

namespace drwa::dialogs::win32 {

namespace panel_ids {
inline constexpr int kRadio1 = 1;
inline constexpr int kDigits = 3;
inline constexpr int kFormatLabel = 5;
inline constexpr int kFormat = 6;
inline constexpr int kSampleCaption = 7;
inline constexpr int kSample = 8;
}  // namespace panel_ids

// Both panels: the subject panel (TFrameSubjectFrame) with its two radio
// items and the digits, the title panel (TFrameBBSTitleFrame) with four radio
// items.
template <typename Panel>
class PanelControls {
  public:
    PanelControls(Panel& model, int base) : model_(model), base_(base) {}
    // The controls on `page`, the radio group's box at (x + 12, y + 24) dialog
    // units, in the panel's tab order: the radio group, the digits (subject),
    // the format.
    void Build(PagedDialog& dialog, int page, short x, short y);
    // The model's state in the controls.
    void Show(HWND dialog);
    // True when `id` is one of the panel's controls; the model has then run
    // the control's handler and the preview is shown again.
    bool Command(HWND dialog, int id, int code, WindowDialogServices& services);

  private:
    static constexpr bool kHasDigits = std::is_same_v<Panel, TFrameSubjectFrame>;
    static constexpr int kRadioItems = kHasDigits ? 2 : 4;
    void ShowPreview(HWND dialog);
    Panel& model_;
    int base_;
};

using SubjectPanelControls = PanelControls<TFrameSubjectFrame>;
using TitlePanelControls = PanelControls<TFrameBBSTitleFrame>;
// Each panel's own layout.
template <>
void SubjectPanelControls::Build(PagedDialog& dialog, int page, short x, short y);
template <>
void TitlePanelControls::Build(PagedDialog& dialog, int page, short x, short y);
extern template class PanelControls<TFrameSubjectFrame>;
extern template class PanelControls<TFrameBBSTitleFrame>;

}  // namespace drwa::dialogs::win32
