// The editors of the plugin's settings page, one frame per item. Private to
// PropertyPageView.
#pragma once

#include <QFrame>
#include <memory>

#include "dialogs/property_items.h"

namespace drwa::dialogs::qt {

class PropertyPageView;

class PropertyEditorFrame : public QFrame {
  public:
    // `editor` is an element of the page model's editor list: it stays put
    // until the model is built again, when the page makes new frames.
    PropertyEditorFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent);

    // The frame's height on the page.
    virtual int PageHeight() const = 0;
    // Called once the frame has its width: text box widths and hover hints.
    virtual void Fit(int /*text_box_width*/) {}

  protected:
    PropertyPageView& page_;
    PropertyEditor& editor_;
};

std::unique_ptr<PropertyEditorFrame> MakeEditorFrame(PropertyPageView& page, PropertyEditor& editor,
                                                     QWidget* parent);

}  // namespace drwa::dialogs::qt
