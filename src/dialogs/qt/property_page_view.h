// The plugin's own settings page as Qt widgets: a scrolling page with one
// small editor per item of a TFramePropertyEdit, stacked from the top.
//
// Each editor is a frame named after the item's component name
// ("FrameEdit4"); inside it, by object name:
//   heading      "Label"
//   check box    "CheckBox" (F2 toggles)
//   radio group  "RadioButton1" ... one per choice
//   text, number "Label" (click, Enter or F2 opens) and "Edit"
//   file, colour "Label" and "Button" (click or F2 opens the chooser)
// Edits are written into the model as they are committed; the dialog calls
// the model's SaveTo on OK.
#pragma once

#include <QScrollArea>
#include <memory>
#include <vector>

#include "dialogs/property_items.h"
#include "platform/question.h"

namespace drwa::dialogs::qt {

class PropertyEditorFrame;

class PropertyPageView : public QScrollArea {
    Q_OBJECT

  public:
    // `model` must outlive the view; call Rebuild after each of its
    // BuildPropertyItems or Clear.
    PropertyPageView(TFramePropertyEdit& model, const QString& object_name,
                     QWidget* parent = nullptr);
    ~PropertyPageView() override;

    // Makes the editors anew from the model. The page is hidden meanwhile and
    // has the button-face colour while it has no editor, white once it has one.
    void Rebuild();

    // Where refused entries are reported (a number that does not read, a
    // character without a Shift_JIS form). None: a message box, or standard
    // error where no user sees the screen.
    void SetReports(platform::QuestionService* reports) { reports_ = reports; }
    platform::QuestionService* Reports() const { return reports_; }

    QWidget* Page() const { return widget(); }
    // Width of every text box of the page: 340 less a shown vertical scroll bar.
    int TextBoxWidth() const { return text_box_width_; }

  protected:
    void resizeEvent(QResizeEvent* event) override;
    // One step of the scroll bar per notch of the wheel, not Qt's three lines.
    void wheelEvent(QWheelEvent* event) override;

  private:
    void Layout();

    TFramePropertyEdit& model_;
    platform::QuestionService* reports_ = nullptr;
    // Children of the page; destroyed before the page takes its children down.
    std::vector<std::unique_ptr<PropertyEditorFrame>> frames_;
    int text_box_width_ = kPropertyTextBoxWidth;
    int wheel_rest_ = 0;  // part of a notch from a fine-grained wheel
};

}  // namespace drwa::dialogs::qt
