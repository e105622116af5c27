// The state of the plugin's settings page on Windows, shared by the files that
// each do one part of its work:
//   property_page_window.cpp    the page and its editors' controls made and taken away
//   property_page_layout.cpp    the editors placed, and the page scrolled
//   property_page_hints.cpp     the labels measured, and their hover hints
//   property_page_editors.cpp   the editor cycle: open, judge, commit or refuse, choose
//   property_page_messages.cpp  what the page and its controls do with their messages
// Private to PropertyPageWindow.
#pragma once

#include <windows.h>

// after windows.h, which it needs
#include <commctrl.h>

#include <cstddef>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "dialogs/property_items.h"
#include "dialogs/win32/property_page_window.h"

namespace drwa::dialogs::win32 {

struct PropertyPageWindow::Impl {
    static constexpr int kRowHeight = 21;  // a line of text, a text box, a step of the scroll bar
    static constexpr int kLabelLeft = 4;   // text from the page's edge
    static constexpr int kPictureWidth = 22;  // the button of the file and colour choosers
    // Posted when a text box left for another control holds what its editor
    // refuses: the report cannot be shown while the focus is still moving.
    static constexpr UINT kReportRefusal = WM_APP + 1;
    static constexpr UINT_PTR kSubclassId = 1;

    // What a control of an editor is, from its ID.
    enum class Role { kMain, kEdit, kPicture, kRadio };

    // The controls of one editor of the model.
    struct Editor {
        PropertyEditor* model = nullptr;
        int top = 0;  // on the page, unscrolled
        int height = kRowHeight;
        HWND main = nullptr;  // heading, check box, value label or group box
        HWND edit = nullptr;
        HWND picture = nullptr;
        std::vector<HWND> radios;
        int label_width = 0;  // what the label's text needs
        bool editing = false;
        bool refusal_pending = false;
        std::wstring shown;  // the text the box was opened with
        std::wstring hint;   // the label's hover hint; empty: none
    };

    // The value the box holds, or why it is refused.
    struct Verdict {
        std::string value;
        std::optional<std::string> refusal;
    };

    struct DeleteFont {
        void operator()(HFONT font) const { ::DeleteObject(font); }
    };
    struct DestroyIcon {
        void operator()(HICON icon) const { ::DestroyIcon(icon); }
    };

    Impl(TFramePropertyEdit& m, WindowDialogServices& s) : model(m), services(s) {}
    ~Impl();

    TFramePropertyEdit& model;
    WindowDialogServices& services;
    HWND page = nullptr;
    HWND tips = nullptr;
    HFONT font = nullptr;
    std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteFont> bold;
    std::unique_ptr<std::remove_pointer_t<HICON>, DestroyIcon> folder_icon;
    std::vector<Editor> editors;
    std::vector<std::size_t> radio_owners;  // by radio button: its editor's index
    int scroll = 0;
    int content_height = 0;
    int text_box_width = kPropertyTextBoxWidth;
    int wheel_rest = 0;  // part of a notch from a fine-grained wheel
    bool laying_out = false;
    bool refusing = false;  // a report is up: its focus change is no leaving

    // creation (property_page_window.cpp)
    void Create(HWND dialog, const RECT& area, int id, HFONT dialog_font);
    HWND Make(const wchar_t* kind, std::string_view text, DWORD style, int id, HFONT f);
    void Clear();
    void Rebuild();
    void MakeControls(Editor& e, int base, int& radio_id);
    void Forget(Editor& e);

    // layout and scrolling (property_page_layout.cpp)
    int ClientHeight() const;
    int ClientWidth() const;
    void Layout();
    int MaxScroll() const;
    void ScrollTo(int position, bool force = false);
    void Place();
    void VerticalScroll(int request);
    void Wheel(int delta);
    void ScrollIntoView(HWND control);

    // labels and hints (property_page_hints.cpp)
    void MeasureLabel(Editor& e);
    void HintCutLabel(Editor& e);
    void HintLongCaption(HWND control, const std::string& caption);
    TOOLINFOW Tool(HWND control) const;
    void SetHint(HWND control, std::wstring text);
    void RemoveHint(HWND control);

    // the editor cycle (property_page_editors.cpp)
    Editor* EditorOf(HWND control);
    static Role RoleOf(const Editor& e, HWND control);
    static bool IsTextEditor(const Editor& e);
    static bool IsChooser(const Editor& e);
    void ShowLabel(Editor& e);
    void Open(Editor& e);
    Verdict Judge(const Editor& e) const;
    bool Commit(Editor& e, bool from_keyboard);
    void Close(Editor& e, bool focus_label);
    void Refuse(Editor& e, const std::string& message);
    void Leave(Editor& e, HWND next);
    void ReportRefusal(std::size_t index);
    bool CommitOpenEditor();
    void Toggle(Editor& e);
    void Choose(Editor& e);
    void ChooseFile(Editor& e);
    void ChooseColour(Editor& e);
    void DrawPicture(const DRAWITEMSTRUCT& item);

    // messages (property_page_messages.cpp)
    void Command(HWND control, int code);
    HBRUSH Background() const;
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l);
    LRESULT Control(HWND control, UINT message, WPARAM w, LPARAM l);
    void Report(const std::exception& failure);
    static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM w, LPARAM l);
    static LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM w, LPARAM l, UINT_PTR,
                                        DWORD_PTR data);
};

}  // namespace drwa::dialogs::win32
