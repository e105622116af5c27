#include "dialogs/qt/property_page_view.h"

#include <QScopeGuard>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "dialogs/qt/property_editor_frames.h"

namespace drwa::dialogs::qt {
namespace {

constexpr int kWheelNotch = 120;  // angle delta of one notch, in eighths of a degree

void SetPageColour(QWidget& page, const QColor& colour) {
    QPalette palette = page.palette();
    palette.setColor(QPalette::Window, colour);
    page.setPalette(palette);
}

}  // namespace

PropertyPageView::PropertyPageView(TFramePropertyEdit& model, const QString& object_name,
                                   QWidget* parent)
    : QScrollArea(parent), model_(model) {
    setObjectName(object_name);
    setWidgetResizable(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto page = std::make_unique<QWidget>();
    page->setObjectName(QStringLiteral("Page"));
    page->setAutoFillBackground(true);
    SetPageColour(*page, palette().color(QPalette::Button));
    setWidget(page.release());  // the scroll area owns its page
}

PropertyPageView::~PropertyPageView() = default;

void PropertyPageView::Rebuild() {
    QWidget& page = *widget();
    // Hidden while the editors come and go, and shown again however this ends.
    page.hide();
    const auto show_again = qScopeGuard([&page] { page.show(); });
    frames_.clear();
    SetPageColour(page, palette().color(QPalette::Button));
    for (PropertyEditor& editor : model_.Editors()) {
        frames_.push_back(MakeEditorFrame(*this, editor, &page));
        frames_.back()->show();
    }
    if (!frames_.empty()) SetPageColour(page, Qt::white);
    Layout();
    verticalScrollBar()->setValue(0);
}

void PropertyPageView::Layout() {
    int height = 0;
    for (const auto& frame : frames_) height += frame->PageHeight();
    // Decided from the sizes rather than the bar's visibility, which lags
    // behind until the page is shown.
    const QSize room = maximumViewportSize();
    const int bar = height > room.height() ? verticalScrollBar()->sizeHint().width() : 0;
    text_box_width_ = kPropertyTextBoxWidth - bar;
    const int width = std::max(0, room.width() - bar);
    int top = 0;
    for (const auto& frame : frames_) {
        frame->setGeometry(0, top, width, frame->PageHeight());
        frame->Fit(text_box_width_);
        top += frame->PageHeight();
    }
    widget()->resize(width, top);
}

void PropertyPageView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    Layout();
}

void PropertyPageView::wheelEvent(QWheelEvent* event) {
    wheel_rest_ += event->angleDelta().y();
    const int notches = wheel_rest_ / kWheelNotch;
    wheel_rest_ %= kWheelNotch;
    QScrollBar& bar = *verticalScrollBar();
    // setValue clamps to the bar's range.
    bar.setValue(bar.value() - notches * bar.singleStep());
    event->accept();
}

}  // namespace drwa::dialogs::qt
