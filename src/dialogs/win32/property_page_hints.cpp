// The plugin's settings page on Windows: what its labels' texts need, and the
// hover hints of labels the page cuts and of captions too long to read.
#include "dialogs/win32/property_page_impl.h"

#include "dialogs/win32/win32_controls.h"

namespace drwa::dialogs::win32 {

void PropertyPageWindow::Impl::MeasureLabel(Editor& e) {
    const std::wstring text = WindowText(e.main);
    SIZE size{};
    if (HDC dc = ::GetDC(e.main)) {
        HGDIOBJ old =
            ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(e.main, WM_GETFONT, 0, 0)));
        ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        ::SelectObject(dc, old);
        ::ReleaseDC(e.main, dc);
    }
    e.label_width = size.cx + 2;
}

// A label that reaches (nearly) the page's right edge may be cut: it
// repeats its whole text as hover hint.
void PropertyPageWindow::Impl::HintCutLabel(Editor& e) {
    const bool chooser = e.model->kind == EditorKind::kFile || e.model->kind == EditorKind::kColour;
    const bool label = chooser || e.model->kind == EditorKind::kHeading ||
                       e.model->kind == EditorKind::kText || e.model->kind == EditorKind::kNumber;
    if (!label) return;
    const int left = chooser ? kPictureWidth + kLabelLeft : kLabelLeft;
    // Changed only when it changes: the page is laid out on every scroll.
    std::wstring hint;
    if (left + e.label_width >= kLabelHintShare * ClientWidth()) hint = WindowText(e.main);
    if (hint == e.hint) return;
    e.hint = hint;
    if (hint.empty())
        RemoveHint(e.main);
    else
        SetHint(e.main, std::move(hint));
}

void PropertyPageWindow::Impl::HintLongCaption(HWND control, const std::string& caption) {
    if (caption.size() > kCaptionHintBytes) SetHint(control, ShownText(caption));
}

TOOLINFOW PropertyPageWindow::Impl::Tool(HWND control) const {
    TOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = page;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    return tool;
}

void PropertyPageWindow::Impl::SetHint(HWND control, std::wstring text) {
    if (!tips) return;
    TOOLINFOW tool = Tool(control);
    ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    tool.lpszText = text.data();
    ::SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void PropertyPageWindow::Impl::RemoveHint(HWND control) {
    if (!tips) return;
    TOOLINFOW tool = Tool(control);
    ::SendMessageW(tips, TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace drwa::dialogs::win32
