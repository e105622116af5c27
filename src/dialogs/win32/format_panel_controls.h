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

class SubjectPanelControls {
  public:
    SubjectPanelControls(TFrameSubjectFrame& model, int base) : model_(model), base_(base) {}
    // The controls on `page`, the radio group's box at (x + 12, y + 24) dialog
    // units, in the panel's tab order: the radio group, the digits, the
    // format.
    void Build(PagedDialog& dialog, int page, short x, short y);
    // The model's state in the controls.
    void Show(HWND dialog);
    // True when `id` is one of the panel's controls; the model has then run
    // the control's handler and the preview is shown again.
    bool Command(HWND dialog, int id, int code, WindowDialogServices& services);

  private:
    void ShowPreview(HWND dialog);
    TFrameSubjectFrame& model_;
    int base_;
};

class TitlePanelControls {
  public:
    TitlePanelControls(TFrameBBSTitleFrame& model, int base) : model_(model), base_(base) {}
    void Build(PagedDialog& dialog, int page, short x, short y);
    void Show(HWND dialog);
    bool Command(HWND dialog, int id, int code, WindowDialogServices& services);

  private:
    void ShowPreview(HWND dialog);
    TFrameBBSTitleFrame& model_;
    int base_;
};

}  // namespace drwa::dialogs::win32
