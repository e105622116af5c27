// The plugin's own settings page on Windows: a scrolling child window of the
// group dialog, with one small editor per item of a TFramePropertyEdit,
// stacked from the top and built at run time from what the plugin declared.
//
// The page is a control parent: the dialog manager tabs into its editors and
// runs their accelerators as if they were the dialog's own. Inside the page
// the controls carry fixed IDs, by which a test host finds them:
//   editor i (0-based, in the model's order), base = kFirstEditorId + 4 * i:
//     base      heading text, check box, value label, or radio group's box
//     base + 1  the text box of a text or number editor (shown while editing)
//     base + 2  the picture button of a file or colour chooser
//   radio button k of the page (0-based, counted over all groups in order):
//     kFirstRadioId + k
// Edits are written into the model as they are committed; the dialog calls
// the model's SaveTo on OK.
#pragma once

#include <windows.h>

#include <memory>

#include "dialogs/property_items.h"

namespace drwa::dialogs::win32 {

class WindowDialogServices;

inline constexpr int kFirstEditorId = 100;
inline constexpr int kFirstRadioId = 30000;

class PropertyPageWindow {
  public:
    // `model` and `services` must outlive the page; the services' owner is the
    // dialog while it is shown, so boxes and choosers are modal to it.
    PropertyPageWindow(TFramePropertyEdit& model, WindowDialogServices& services);
    ~PropertyPageWindow();
    PropertyPageWindow(const PropertyPageWindow&) = delete;
    PropertyPageWindow& operator=(const PropertyPageWindow&) = delete;

    // Creates the page, hidden, as a child of `dialog` with control ID `id`,
    // at `area` (the dialog's client pixels), its controls in `font`.
    void Create(HWND dialog, const RECT& area, int id, HFONT font);
    HWND window() const;

    // Makes the editors anew from the model, after its BuildPropertyItems or
    // Clear. The page has the button-face colour while it has no editor,
    // white once it has one.
    void Rebuild();
    // Takes the editors away, the model untouched: before the model's items
    // are built anew, so that no control is left pointing at an item that
    // is gone while the rebuild may show a message box.
    void Clear();

    // Commits a text box left open (OK pressed while typing in it): false
    // when it holds what the editor refuses, which is then reported and the
    // box kept open with its text selected.
    bool CommitOpenEditor();

    // Puts the focus on the first editor (or the page itself without one).
    void Focus();

    // The hover hints' tooltip control (one tool per hinted control), and the
    // width text boxes open with now: for a test host to read.
    HWND hints() const;
    int TextBoxWidth() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace drwa::dialogs::win32
