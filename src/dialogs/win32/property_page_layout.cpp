// The plugin's settings page on Windows: its editors stacked from the top at
// their places, and the page scrolled by its bar, the wheel, and the focus.
#include "dialogs/win32/property_page_impl.h"

#include <algorithm>

namespace drwa::dialogs::win32 {

int PropertyPageWindow::Impl::ClientHeight() const {
    RECT r{};
    ::GetClientRect(page, &r);
    return r.bottom;
}

int PropertyPageWindow::Impl::ClientWidth() const {
    RECT r{};
    ::GetClientRect(page, &r);
    return r.right;
}

// The scroll bar (shown when the editors are taller than the page), the
// text boxes' width, and every control at its place.
void PropertyPageWindow::Impl::Layout() {
    if (laying_out) return;
    laying_out = true;
    content_height = editors.empty() ? 0 : editors.back().top + editors.back().height;
    const bool bar = content_height > ClientHeight();
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = bar ? content_height - 1 : 0;
    info.nPage = bar ? static_cast<UINT>(ClientHeight()) : 0;
    ::SetScrollInfo(page, SB_VERT, &info, TRUE);
    ::ShowScrollBar(page, SB_VERT, bar);
    text_box_width = kPropertyTextBoxWidth - (bar ? ::GetSystemMetrics(SM_CXVSCROLL) : 0);
    laying_out = false;
    ScrollTo(scroll, true);
}

int PropertyPageWindow::Impl::MaxScroll() const {
    return std::max(0, content_height - ClientHeight());
}

void PropertyPageWindow::Impl::ScrollTo(int position, bool force) {
    position = std::clamp(position, 0, MaxScroll());
    if (position == scroll && !force) return;
    scroll = position;
    ::SetScrollPos(page, SB_VERT, scroll, TRUE);
    Place();
    ::InvalidateRect(page, nullptr, TRUE);
}

void PropertyPageWindow::Impl::Place() {
    const int width = ClientWidth();
    HDWP moves = ::BeginDeferWindowPos(static_cast<int>(editors.size() * 2));
    auto move = [&](HWND c, int x, int y, int w, int h) {
        if (moves)
            moves = ::DeferWindowPos(moves, c, nullptr, x, y, std::max(w, 0), h,
                                     SWP_NOZORDER | SWP_NOACTIVATE);
        if (!moves)
            ::SetWindowPos(c, nullptr, x, y, std::max(w, 0), h, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    for (Editor& e : editors) {
        const int y = e.top - scroll;
        switch (e.model->kind) {
            case EditorKind::kHeading:
                move(e.main, kLabelLeft, y, std::min(width - kLabelLeft, e.label_width),
                     kRowHeight);
                break;
            case EditorKind::kCheckBox:
                move(e.main, kLabelLeft, y, width - kLabelLeft, kRowHeight);
                break;
            case EditorKind::kRadioGroup:
                move(e.main, 0, y, width, e.height);
                for (std::size_t k = 0; k < e.radios.size(); ++k)
                    move(e.radios[k], kRadioButtonLeft, y + RadioButtonTop(static_cast<int>(k) + 1),
                         kRadioButtonWidth, kRadioButtonHeight);
                break;
            case EditorKind::kText:
            case EditorKind::kNumber:
                move(e.edit, 0, y, text_box_width, kRowHeight);
                move(e.main, kLabelLeft, y, std::min(width - kLabelLeft, e.label_width),
                     kRowHeight);
                break;
            case EditorKind::kFile:
            case EditorKind::kColour:
                move(e.picture, 0, y, kPictureWidth, kRowHeight);
                move(e.main, kPictureWidth + kLabelLeft, y,
                     std::min(width - kPictureWidth - kLabelLeft, e.label_width), kRowHeight);
                break;
        }
    }
    if (moves) ::EndDeferWindowPos(moves);
    for (Editor& e : editors) HintCutLabel(e);
}

void PropertyPageWindow::Impl::VerticalScroll(int request) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_TRACKPOS;
    ::GetScrollInfo(page, SB_VERT, &info);
    const int page_height = ClientHeight();
    switch (request) {
        case SB_LINEUP:
            ScrollTo(scroll - kRowHeight);
            break;
        case SB_LINEDOWN:
            ScrollTo(scroll + kRowHeight);
            break;
        case SB_PAGEUP:
            ScrollTo(scroll - page_height);
            break;
        case SB_PAGEDOWN:
            ScrollTo(scroll + page_height);
            break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            ScrollTo(info.nTrackPos);
            break;
        case SB_TOP:
            ScrollTo(0);
            break;
        case SB_BOTTOM:
            ScrollTo(MaxScroll());
            break;
        default:
            break;
    }
}

// One step of the bar per notch of the wheel.
void PropertyPageWindow::Impl::Wheel(int delta) {
    wheel_rest += delta;
    const int notches = wheel_rest / WHEEL_DELTA;
    wheel_rest %= WHEEL_DELTA;
    ScrollTo(scroll - notches * kRowHeight);
}

// A control that takes the focus (by Tab above all) is scrolled into view.
void PropertyPageWindow::Impl::ScrollIntoView(HWND control) {
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
    if (r.top < 0)
        ScrollTo(scroll + r.top);
    else if (r.bottom > ClientHeight())
        ScrollTo(scroll + std::min<int>(r.bottom - ClientHeight(), r.top));
}

}  // namespace drwa::dialogs::win32
