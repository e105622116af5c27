// What the Win32 settings dialogs share: a modal dialog built in code on an
// empty template, controls that belong to one page of a tab strip (or to
// every page), the colour of the tab strip's body behind a page's texts, and
// failures carried out of the system's modal loop.
//
// All controls are children of the dialog itself and a page shows or hides
// its own; a tab strip is created after its pages' controls so that it lies
// beneath them, and the dialog manager's tab cycle then runs page, the
// buttons below, the tab strip and back: the visual order, read round.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "dialogs/win32/win32_controls.h"
#include "dialogs/win32/window_services.h"

namespace drwa::dialogs::win32 {

class PagedDialog {
  public:
    PagedDialog(const PagedDialog&) = delete;
    PagedDialog& operator=(const PagedDialog&) = delete;

    HWND Item(int id) const { return ::GetDlgItem(dialog_, id); }
    HWND Add(int page, const ControlSpec& spec);
    // A number box with arrows: the edit under `id`, its arrows under id + 1.
    void AddNumber(int page, int id, short x, short y, int low, int high, int step, int digits);
    WindowDialogServices& services() { return services_; }

  protected:
    // Controls on no page stay shown whichever page is up.
    static constexpr int kEveryPage = -1;

    explicit PagedDialog(WindowDialogServices& services) : services_(services) {}
    virtual ~PagedDialog() = default;

    // Shows the dialog modally over `owner`: true when it closed with OK.
    // A failure inside a handler ends the dialog and is thrown from here.
    bool RunModal(std::string_view caption, short width, short height, HWND owner);

    // WM_INITDIALOG: the controls are made here, the owner of message boxes
    // is the dialog from now on. Returns FALSE when it set the focus itself.
    virtual INT_PTR Initialise() = 0;
    virtual void Command(int id, int code) = 0;
    // WM_NOTIFY from a tab strip: its new page.
    virtual void PageChosen(int tab_control_id, int page) = 0;
    // Anything else; FALSE: the dialog manager's default.
    virtual INT_PTR Other(UINT message, WPARAM w, LPARAM l);
    // Texts shown in red (notes on a page).
    virtual bool RedText(int /*id*/) const { return false; }

    HWND AddTabs(int id, short x, short y, short width, short height,
                 std::span<const std::string_view> names);
    void SetNumberRange(int id, int low, int high);

    // Shows exactly the controls whose page `shown` accepts, and moves the
    // focus off a control that went out of sight.
    void ShowPages(const std::function<bool(HWND control, int page)>& shown, HWND fallback);
    void SelectTab(int tab_control_id, int page);
    // Samples the body colour of `tabs` for the texts on pages (a themed
    // system paints it lighter than the dialog).
    void TakePageColour(HWND tabs);
    // An item outside the group (a hand-edited file) leaves none checked.
    void CheckItem(int first, int count, int item);

    WindowDialogServices& services_;
    DialogFont font_;
    HWND dialog_ = nullptr;
    std::vector<std::pair<HWND, int>> pages_;
    bool refreshing_ = false;  // the view itself is writing into its controls

  private:
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM w, LPARAM l);
    INT_PTR Handle(UINT message, WPARAM w, LPARAM l);
    INT_PTR ControlColours(HDC dc, HWND control);
    bool EraseBackground(HDC dc);

    std::exception_ptr failure_;
    std::vector<HWND> tab_strips_;
    struct DeleteBrush {
        void operator()(HBRUSH b) const { ::DeleteObject(b); }
    };
    std::unique_ptr<std::remove_pointer_t<HBRUSH>, DeleteBrush> page_brush_;
    COLORREF page_colour_ = 0;
};

}  // namespace drwa::dialogs::win32
