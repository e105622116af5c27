// What the Win32 dialog views share: a modal dialog window from an in-memory
// template with no controls (the system's dialog manager then runs the modal
// loop, Tab, Enter, Esc and the &-accelerators), controls added to it in code
// from positions in dialog units, the system's UI font, and CP932 text in and
// out of controls through code page 932 whatever the ANSI code page is.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace drwa::dialogs::win32 {

// The message font of the system (a Japanese Windows: its UI Gothic), with the
// face and point size the dialog template gives the dialog manager for its
// dialog units.
class DialogFont {
  public:
    DialogFont();
    HFONT get() const { return font_.get(); }
    const std::wstring& face() const { return face_; }
    WORD points() const { return points_; }

  private:
    struct Delete {
        void operator()(HFONT f) const { ::DeleteObject(f); }
    };
    std::unique_ptr<std::remove_pointer_t<HFONT>, Delete> font_;
    std::wstring face_;
    WORD points_ = 9;
};

// A template for a modal dialog with a caption, a fixed border and only the
// system menu, `width` by `height` dialog units, and no controls.
std::vector<WORD> EmptyDialogTemplate(std::string_view caption, short width, short height,
                                      const DialogFont& font);

// Runs the dialog: `proc` gets `param` with WM_INITDIALOG. The result of
// EndDialog; throws drwa::Error when no dialog can be shown (no screen).
INT_PTR RunModalDialog(const std::vector<WORD>& dialog_template, HWND owner, DLGPROC proc,
                       LPARAM param);

struct ControlSpec {
    const wchar_t* window_class;
    std::string_view text;      // CP932
    DWORD style;                // WS_CHILD and WS_VISIBLE are added
    short x, y, width, height;  // dialog units
    int id;
};

// Creates the control on `dialog` in the dialog's font. Controls are created
// in tab order: each goes below the ones before it.
HWND AddControl(HWND dialog, const ControlSpec& spec, HFONT font);
// The same at `area` in the parent's pixels (WS_CHILD added, not WS_VISIBLE).
HWND CreateControl(HWND parent, const wchar_t* window_class, std::string_view cp932, DWORD style,
                   const RECT& area, int id, HFONT font);

// A window's text as it holds it.
std::wstring WindowText(HWND window);

// "Perl" with 'P' -> "&Perl"; a caption that does not start with the letter
// gets it in brackets, as Japanese Windows shows it: "スレッド数(&H)".
std::string Accelerated(std::string_view caption, char letter);

// A control's text as CP932, nothing when it holds a character CP932 lacks.
std::optional<std::string> Cp932Text(HWND control);
// Shows CP932 text; bytes that are no CP932 show as the replacement character
// rather than the control staying empty.
void SetCp932Text(HWND control, std::string_view cp932);
// Why the control's text was refused, naming the first character CP932 lacks
// as the other views do: "Shift_JIS で表せない文字 (U+00E9) は使えません".
std::string NoCp932FormMessage(HWND control);
std::wstring ShownText(std::string_view cp932);

// Centres `dialog` on `owner`, or on the work area of the screen without one,
// kept inside the work area.
void CentreOn(HWND dialog, HWND owner);

// The module the library's code lives in, for the dialog's instance.
HINSTANCE LibraryInstance();

}  // namespace drwa::dialogs::win32
