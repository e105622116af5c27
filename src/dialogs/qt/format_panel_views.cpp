#include "dialogs/qt/format_panel_views.h"

#include <QScopeGuard>

#include "common/error.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_text.h"
#include "dialogs/qt/view_texts.h"

namespace drwa::dialogs::qt {
namespace {

void SetLabel(QLabel& label, const char* name, std::string_view text) {
    label.setObjectName(name);
    label.setTextFormat(Qt::PlainText);
    label.setText(ToQString(text));
}

}  // namespace

FormatPanelView::FormatPanelView(const QString& object_name, const texts::PanelTexts& texts,
                                 int radio_columns, QWidget* parent)
    : QWidget(parent) {
    setObjectName(object_name);
    radio_group_.setObjectName("RadioGroup1");
    radio_group_.setTitle(ToQString(texts.radio_caption));
    for (std::size_t i = 0; i < texts.radio_items.size(); ++i) {
        const int item = static_cast<int>(i);
        auto button =
            std::make_unique<QRadioButton>(ToQString(texts.radio_items[i]), &radio_group_);
        button->setObjectName(QStringLiteral("RadioButton%1").arg(item + 1));
        radio_grid_.addWidget(button.get(), item / radio_columns, item % radio_columns);
        radio_buttons_group_.addButton(button.get(), item);
        radio_buttons_.push_back(std::move(button));
    }
    SetLabel(label_syoshiki_, "LabelSyoshiki", texts.label_syoshiki);
    SetLabel(label_sample_caption_, "LabelSampleCaption", texts.sample_caption);
    SetLabel(label_sample_, "LabelSample", "");
    edit_syoshiki_.setObjectName("EditSyoshiki");

    grid_.addWidget(&radio_group_, 0, 0, 1, 2);
    grid_.addWidget(&label_syoshiki_, 1, 0, 1, 2);
    grid_.addWidget(&edit_syoshiki_, 2, 0);
    grid_.addWidget(&label_sample_caption_, 3, 0, 1, 2);
    grid_.addWidget(&label_sample_, 4, 0, 1, 2);
    grid_.setRowStretch(5, 1);
    grid_.setColumnStretch(0, 1);

    connect(&radio_buttons_group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on && !updating_) RadioChosen(id);
    });
    connect(&edit_syoshiki_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (updating_) return;
        std::string format;
        try {
            format = ToCp932(text);
        } catch (const Error& e) {
            // The box goes back to what the panel holds, which Save writes.
            Refresh();
            ShowErrorOver(this, e.what(), reports_);
            return;
        }
        FormatTyped(std::move(format));
    });
}

void FormatPanelView::ShowState(int radio, const std::string& format, const std::string& sample,
                                bool format_enabled) {
    if (QAbstractButton* chosen = radio_buttons_group_.button(radio)) {
        chosen->setChecked(true);
    } else if (QAbstractButton* checked = radio_buttons_group_.checkedButton()) {
        // An item the group does not have (a hand-edited file): none shown.
        radio_buttons_group_.setExclusive(false);
        checked->setChecked(false);
        radio_buttons_group_.setExclusive(true);
    }
    // Set only when it differs, so typing keeps its cursor.
    const QString text = ToQString(format);
    if (edit_syoshiki_.text() != text) edit_syoshiki_.setText(text);
    label_sample_.setText(ToQString(sample));
    for (QWidget* w :
         {static_cast<QWidget*>(&label_syoshiki_), static_cast<QWidget*>(&edit_syoshiki_),
          static_cast<QWidget*>(&label_sample_caption_), static_cast<QWidget*>(&label_sample_)})
        w->setEnabled(format_enabled);
}

SubjectPanelView::SubjectPanelView(TFrameSubjectFrame& model, const QString& object_name,
                                   QWidget* parent)
    : FormatPanelView(object_name, texts::SubjectPanel(), 2, parent), model_(model) {
    spin_edit_keta_.setObjectName("SpinEditKeta");
    spin_edit_keta_.setRange(TFrameSubjectFrame::kMinDigits, TFrameSubjectFrame::kMaxDigits);
    grid_.addWidget(&spin_edit_keta_, 2, 1);
    QWidget::setTabOrder(radio_buttons_.back().get(), &spin_edit_keta_);
    QWidget::setTabOrder(&spin_edit_keta_, &edit_syoshiki_);
    connect(&spin_edit_keta_, &QSpinBox::valueChanged, this, [this](int digits) {
        if (updating_) return;
        model_.SpinEditKeta = digits;
        model_.SpinEditKetaChange();
        Refresh();
    });
    Refresh();
}

void SubjectPanelView::Refresh() {
    updating_ = true;
    const auto done = qScopeGuard([this] { updating_ = false; });
    ShowState(model_.RadioGroup1, model_.EditSyoshiki, model_.LabelSample, model_.FormatEnabled);
    spin_edit_keta_.setValue(model_.SpinEditKeta);
    spin_edit_keta_.setEnabled(model_.FormatEnabled);
}

void SubjectPanelView::RadioChosen(int item) {
    model_.RadioGroup1 = item;
    model_.RadioGroup1Click();
    Refresh();
}

void SubjectPanelView::FormatTyped(std::string format) {
    model_.EditSyoshiki = std::move(format);
    model_.EditSyoshikiChange();
    Refresh();
}

TitlePanelView::TitlePanelView(TFrameBBSTitleFrame& model, const QString& object_name,
                               QWidget* parent)
    : FormatPanelView(object_name, texts::TitlePanel(), 1, parent), model_(model) {
    Refresh();
}

void TitlePanelView::Refresh() {
    updating_ = true;
    const auto done = qScopeGuard([this] { updating_ = false; });
    ShowState(model_.RadioGroup1, model_.EditSyoshiki, model_.LabelSample, model_.FormatEnabled);
}

void TitlePanelView::RadioChosen(int item) {
    model_.RadioGroup1 = item;
    model_.RadioGroup1Click();
    Refresh();
}

void TitlePanelView::FormatTyped(std::string format) {
    model_.EditSyoshiki = std::move(format);
    model_.EditSyoshikiChange();
    Refresh();
}

}  // namespace drwa::dialogs::qt
