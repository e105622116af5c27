// Drives a dialog of the DLL from a second thread as a user would, through
// window messages: the dialog runs its modal loop on the host thread (the one
// that called the export) while the test's thread finds it by its caption,
// finds controls by their IDs, types, clicks and answers message boxes.
//
// Every action is followed by a barrier (a message sent to the dialog and
// answered by its thread), so the next assertion sees what the action did; a
// message box shown by the action is up by then.
//
// Compiled apart from the CP932 tests: the C++ library's <chrono> holds a
// literal CP932 cannot take. Texts cross this header as CP932 bytes.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace drwa::testing {

class DialogDriver {
  public:
    // Waits for a top-level dialog window with this caption (CP932), until
    // `give_up` says there will be none.
    static std::optional<DialogDriver> Find(std::string_view caption, int wait_ms,
                                            const std::function<bool()>& give_up);

    HWND window() const { return dialog_; }
    HWND Item(int id) const { return ::GetDlgItem(controls_ ? controls_ : dialog_, id); }
    bool Exists() const { return ::IsWindow(dialog_) != FALSE; }
    // True once the dialog is gone (its modal loop ends a moment after the
    // click that closed it).
    bool Closed() const;

    std::string Text(int id) const;  // CP932; "?" for what CP932 lacks
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)) != FALSE; }
    bool Visible(int id) const { return ::IsWindowVisible(Item(id)) != FALSE; }
    bool Checked(int id) const;
    HWND Focus() const;  // the focus on the dialog's thread

    void Type(int id, std::string_view cp932);
    void Click(int id);
    // One character typed at the end of the control's text, as the keyboard
    // delivers it (posted: a message box it brings up is answered here).
    void TypeCharacter(int id, wchar_t c);
    void ChoosePage(int tab_control_id, int page);
    // Picks item `index` of a drop-down list, as the user does with the mouse.
    void Choose(int id, int index);

    // The text of the message box the dialog shows now, answered with
    // `button` (IDOK, IDYES, IDNO ...); nothing when no box is up.
    std::optional<std::string> AnswerBox(int button = IDOK);
    // Types `path` (CP932) into the file chooser the dialog shows now and
    // opens it; false when no chooser is up or it has no name box.
    bool AnswerFileChooser(std::string_view path);
    // Selects `folder` (CP932) in the folder chooser the dialog shows now and
    // takes it; false when no chooser came.
    bool AnswerFolderChooser(std::string_view folder);
    // The colour the colour chooser the dialog shows now was opened with, and
    // `colour` typed into its red, green and blue boxes and taken; nothing
    // when no chooser came.
    std::optional<COLORREF> AnswerColourChooser(COLORREF colour);
    // Cancels whatever is still open: a failed assertion must not leave the
    // host thread in a modal loop.
    void CloseAll();

    // The same dialog with Item (and what finds controls by it) looking up
    // the IDs among the children of `container`, a child window of the dialog
    // such as a page of controls of its own.
    DialogDriver Within(HWND container) const;
    // Keys and characters posted to `control` as the keyboard delivers them,
    // through the dialog's message loop and dialog manager; returns once the
    // dialog's thread has handled them (or shows a box they brought up).
    void PressKey(HWND control, UINT virtual_key);
    void PressCharacters(HWND control, std::wstring_view characters);
    // A left click in the middle of `control` (one without BM_CLICK, such as
    // a static text).
    void ClickWindow(HWND control);

    void Barrier() const;

  private:
    explicit DialogDriver(HWND dialog) : dialog_(dialog) {}
    HWND Box() const;
    HWND AwaitBox() const;  // a chooser reads folders before it shows
    bool AwaitGone(HWND window) const;
    HWND dialog_;
    HWND controls_ = nullptr;  // set by Within
    void PostAndWait(HWND control, const std::vector<MSG>& messages);
};

// Runs `host` (which calls an export and returns its result) on a thread of
// its own with `user` driving the dialog captioned `caption`. The export's
// result, or nothing when it did not return in time.
std::optional<int> RunDialog(std::string_view caption, std::function<int()> host,
                             std::function<void(DialogDriver&)> user);

// Runs `host` as RunDialog does where no dialog may come up (no screen): a
// dialog that shows is a failure, and is closed.
std::optional<int> RunWithoutDialog(std::function<int()> host);

// The pixels of the window's client area as shown on the screen, as a PNG
// file (wide path).
bool SaveScreenshot(HWND window, const std::wstring& png_path);
// When the run asks for pictures (DRWA_SCREENSHOT_DIR names a Windows
// folder), the dialog's pixels as NAME.png there; an assertion fails when it
// cannot be saved.
void ScreenshotIfAsked(const DialogDriver& d, std::string_view name);

}  // namespace drwa::testing
