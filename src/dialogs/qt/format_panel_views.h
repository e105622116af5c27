// The subject and board-title panels as Qt widgets. Controls are named as in
// the model: RadioGroup1 (a group box of radio buttons "RadioButton1" ...),
// SpinEditKeta (subject only), EditSyoshiki, LabelSyoshiki,
// LabelSampleCaption, LabelSample.
//
// Each user action writes its control's field into the model, runs the
// model's handler and shows the model again; the dialog calls the model's
// Load before Refresh and its Save on OK.
#pragma once

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/format_panels.h"
#include "dialogs/qt/view_texts.h"
#include "platform/question.h"

namespace drwa::dialogs::qt {

// What both panels have. Layouts and widgets are members: declared after the
// layouts, the widgets leave them before the layouts go.
class FormatPanelView : public QWidget {
    Q_OBJECT

  public:
    // Where a typed character without a Shift_JIS form is reported. None: a
    // message box, or standard error where no user sees the screen.
    void SetReports(platform::QuestionService* reports) { reports_ = reports; }

  protected:
    FormatPanelView(const QString& object_name, const texts::PanelTexts& texts, int radio_columns,
                    QWidget* parent);

    // The state every panel shows; true while the widgets are being set from
    // the model, when their signals are no user action.
    void ShowState(int radio, const std::string& format, const std::string& sample,
                   bool format_enabled);
    bool updating_ = false;

    // The user's actions, each followed by Refresh.
    virtual void RadioChosen(int item) = 0;
    virtual void FormatTyped(std::string format) = 0;
    virtual void Refresh() = 0;

    QGridLayout grid_{this};
    QGroupBox radio_group_{this};
    QGridLayout radio_grid_{&radio_group_};
    std::vector<std::unique_ptr<QRadioButton>> radio_buttons_;
    QButtonGroup radio_buttons_group_{this};
    QLabel label_syoshiki_{this};
    QLineEdit edit_syoshiki_{this};
    QLabel label_sample_caption_{this};
    QLabel label_sample_{this};

  private:
    platform::QuestionService* reports_ = nullptr;
};

class SubjectPanelView final : public FormatPanelView {
    Q_OBJECT

  public:
    // `model` must outlive the view.
    SubjectPanelView(TFrameSubjectFrame& model, const QString& object_name,
                     QWidget* parent = nullptr);
    // Shows the model's state (after its Load).
    void Refresh() override;

  private:
    void RadioChosen(int item) override;
    void FormatTyped(std::string format) override;

    TFrameSubjectFrame& model_;
    QSpinBox spin_edit_keta_{this};
};

class TitlePanelView final : public FormatPanelView {
    Q_OBJECT

  public:
    TitlePanelView(TFrameBBSTitleFrame& model, const QString& object_name,
                   QWidget* parent = nullptr);
    void Refresh() override;

  private:
    void RadioChosen(int item) override;
    void FormatTyped(std::string format) override;

    TFrameBBSTitleFrame& model_;
};

}  // namespace drwa::dialogs::qt
