#include "dialogs/qt/property_editor_frames.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <vector>

#include "common/error.h"
#include "dialogs/qt/property_page_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_text.h"
#include "dialogs/qt/view_texts.h"

namespace drwa::dialogs::qt {
namespace {

constexpr int kRowHeight = 21;  // a line of text, a text box
constexpr int kLabelLeft = 4;
constexpr int kPictureWidth = 22;  // the button of the file and colour choosers

bool IsEnter(const QKeyEvent* e) {
    return e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
}

void HintLongCaption(QWidget* widget, const std::string& caption) {
    if (caption.size() > kCaptionHintBytes) widget->setToolTip(ToQString(caption));
}

// The label at `left`, as wide as its text where the frame has room. A label
// that reaches (nearly) the frame's right edge may be cut: it repeats its
// whole text as hover hint.
void FitLabel(QLabel& label, int left, int frame_width) {
    const int wanted = label.sizeHint().width();
    label.setGeometry(left, 0, std::clamp(frame_width - left, 0, wanted), kRowHeight);
    label.setToolTip(left + wanted >= kLabelHintShare * frame_width ? label.text() : QString());
}

// The label of a value editor: clicking it, F2 and (for text and numbers)
// Enter open the editor behind it.
class ValueLabel final : public QLabel {
  public:
    ValueLabel(QWidget* parent, bool enter_opens, std::function<void()> open)
        : QLabel(parent), enter_opens_(enter_opens), open_(std::move(open)) {
        setObjectName("Label");
        setTextFormat(Qt::PlainText);
        setFocusPolicy(Qt::StrongFocus);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
            open_();
            return;
        }
        QLabel::mouseReleaseEvent(e);
    }
    void keyPressEvent(QKeyEvent* e) override {
        // Taken here, Enter does not reach the dialog's default button.
        if (e->key() == Qt::Key_F2 || (enter_opens_ && IsEnter(e))) {
            open_();
            return;
        }
        QLabel::keyPressEvent(e);
    }

  private:
    bool enter_opens_;
    std::function<void()> open_;
};

class HeadingFrame final : public PropertyEditorFrame {
  public:
    HeadingFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : PropertyEditorFrame(page, editor, parent) {
        label_.setObjectName("Label");
        label_.setTextFormat(Qt::PlainText);
        label_.setText(ToQString(editor.Caption));
        QFont bold = label_.font();
        bold.setBold(true);
        label_.setFont(bold);
    }
    int PageHeight() const override { return kRowHeight; }
    void Fit(int) override { FitLabel(label_, kLabelLeft, width()); }

  private:
    QLabel label_{this};
};

class CheckBoxFrame final : public PropertyEditorFrame {
  public:
    CheckBoxFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : PropertyEditorFrame(page, editor, parent) {
        box_.setObjectName("CheckBox");
        box_.setText(ToQString(editor.Caption));
        box_.setChecked(editor.Ticked());
        HintLongCaption(&box_, editor.Caption);
        setFocusProxy(&box_);
        box_.installEventFilter(this);
        connect(&box_, &QCheckBox::toggled, this,
                [this](bool on) { editor_.Value.assign(1, on ? '1' : '0'); });
    }
    int PageHeight() const override { return kRowHeight; }
    void Fit(int) override { box_.setGeometry(kLabelLeft, 0, width() - kLabelLeft, kRowHeight); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == Qt::Key_F2) {
            box_.toggle();
            return true;
        }
        return PropertyEditorFrame::eventFilter(watched, event);
    }

  private:
    QCheckBox box_{this};
};

class RadioGroupFrame final : public PropertyEditorFrame {
  public:
    RadioGroupFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : PropertyEditorFrame(page, editor, parent) {
        for (std::size_t i = 0; i < editor.choices.size(); ++i) {
            const RadioChoice& choice = editor.choices[i];
            const int n = static_cast<int>(i) + 1;
            auto button = std::make_unique<QRadioButton>(ToQString(choice.caption), this);
            button->setObjectName(QStringLiteral("RadioButton%1").arg(n));
            button->setGeometry(kRadioButtonLeft, RadioButtonTop(n), kRadioButtonWidth,
                                kRadioButtonHeight);
            HintLongCaption(button.get(), choice.caption);
            group_.addButton(button.get(), n - 1);
            if (editor.selected == n - 1) button->setChecked(true);
            buttons_.push_back(std::move(button));
        }
        connect(&group_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
            if (on) editor_.selected = id;
        });
    }
    int PageHeight() const override { return RadioGroupHeight(static_cast<int>(buttons_.size())); }

  private:
    QButtonGroup group_{this};
    std::vector<std::unique_ptr<QRadioButton>> buttons_;  // leave the group before it goes
};

// Text and number editors: the label swaps for a text box while editing.
class TextEditorFrame final : public PropertyEditorFrame {
  public:
    TextEditorFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : PropertyEditorFrame(page, editor, parent), number_(editor.kind == EditorKind::kNumber) {
        label_.setText(ToQString(editor.LabelText()));
        edit_.setObjectName("Edit");
        edit_.hide();
        edit_.installEventFilter(this);
        // Composed text would bypass the key filter of numbers.
        if (number_) edit_.setAttribute(Qt::WA_InputMethodEnabled, false);
    }
    int PageHeight() const override { return kRowHeight; }
    void Fit(int text_box_width) override {
        edit_.setGeometry(0, 0, text_box_width, kRowHeight);
        FitLabel(label_, kLabelLeft, width());
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &edit_ && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsEnter(key)) {
                Commit(true);
                return true;  // not the dialog's default button
            }
            if (key->key() == Qt::Key_Escape) {
                Close(true);
                return true;  // not the dialog's Cancel
            }
            if (number_ && RefusedNumberKey(*key)) return true;
        } else if (watched == &edit_ && event->type() == QEvent::FocusOut) {
            // A context menu or another window taking the focus is no leaving.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                Commit(false);
        }
        return PropertyEditorFrame::eventFilter(watched, event);
    }

  private:
    static bool RefusedNumberKey(const QKeyEvent& key) {
        const QString text = key.text();
        if (text.isEmpty()) return false;  // arrows, Home, Delete: no character
        const char16_t c = text.front().unicode();
        if (c < 0x20 || c == 0x7F) return false;  // backspace, Ctrl+C and the like
        return c >= 0x80 || !IsNumberEditorKey(static_cast<char>(c));
    }

    void Open() {
        if (editing_) return;
        editing_ = true;
        shown_ = ToQString(editor_.Value);
        edit_.setText(shown_);
        edit_.show();
        label_.hide();
        edit_.setFocus(Qt::OtherFocusReason);
        edit_.selectAll();
    }

    void Commit(bool from_keyboard) {
        if (!editing_ || refusing_) return;
        std::string value = editor_.Value;
        // Untouched text keeps its bytes, even those that did not read as CP932.
        if (edit_.text() != shown_) {
            try {
                value = ToCp932(edit_.text());
            } catch (const Error& e) {
                Refuse(e.what());
                return;
            }
        }
        if (number_ && !edit_.text().trimmed().isEmpty() && !ReadsAsDecimalNumber(value)) {
            Refuse(texts::NotANumber(value));
            return;
        }
        editor_.Value = std::move(value);
        Close(from_keyboard);
    }

    // Shows the label again; the value is what it was before opening unless
    // Commit stored a new one.
    void Close(bool focus_label) {
        editing_ = false;
        label_.setText(ToQString(editor_.LabelText()));
        FitLabel(label_, kLabelLeft, width());
        label_.show();
        if (focus_label) label_.setFocus(Qt::OtherFocusReason);
        edit_.hide();
    }

    // The box stays open with its whole text selected, for the user to correct.
    void Refuse(const std::string& message) {
        refusing_ = true;
        ShowErrorOver(this, message, page_.Reports());
        refusing_ = false;
        edit_.setFocus(Qt::OtherFocusReason);
        edit_.selectAll();
    }

    const bool number_;
    bool editing_ = false;
    bool refusing_ = false;  // a message box is up: its focus change is no leaving
    QString shown_;          // the text the box was opened with
    ValueLabel label_{this, true, [this] { Open(); }};
    QLineEdit edit_{this};
};

// File and colour choosers: a picture and the label, both opening a dialog.
class ChooserFrame : public PropertyEditorFrame {
  public:
    ChooserFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : PropertyEditorFrame(page, editor, parent) {
        button_.setObjectName("Button");
        button_.setAutoRaise(true);
        button_.setFocusPolicy(Qt::NoFocus);
        button_.setGeometry(0, 0, kPictureWidth, kRowHeight);
        connect(&button_, &QToolButton::clicked, this, [this] { Choose(); });
    }
    int PageHeight() const override { return kRowHeight; }
    void Fit(int) override { FitLabel(label_, kPictureWidth + kLabelLeft, width()); }

  protected:
    virtual void Choose() = 0;
    void ShowValue() {
        label_.setText(ToQString(editor_.LabelText()));
        FitLabel(label_, kPictureWidth + kLabelLeft, width());
    }

    ValueLabel label_{this, false, [this] { Choose(); }};
    QToolButton button_{this};
};

class FileChooserFrame final : public ChooserFrame {
  public:
    FileChooserFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : ChooserFrame(page, editor, parent) {
        button_.setIcon(style()->standardIcon(QStyle::SP_DirOpenIcon));
        ShowValue();
    }

  private:
    // The Windows pattern list "*.txt;*.log" as Qt's "description (*.txt *.log)".
    static QString NameFilter(const FileFilter& filter) {
        QString patterns = ToQString(filter.pattern);
        patterns.replace(u';', u' ');
        return ToQString(filter.description) + QStringLiteral(" (") + patterns.trimmed() +
               QStringLiteral(")");
    }

    void Choose() override {
        QFileDialog dialog(this, ToQString(editor_.Caption));
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (auto filter = FileFilterOf(editor_.Caption)) dialog.setNameFilter(NameFilter(*filter));
        if (!editor_.Value.empty()) dialog.selectFile(ToQString(editor_.Value));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        try {
            editor_.Value = ToCp932(QDir::toNativeSeparators(dialog.selectedFiles().front()));
        } catch (const Error& e) {
            ShowErrorOver(this, e.what(), page_.Reports());
            return;
        }
        ShowValue();
    }
};

class ColourChooserFrame final : public ChooserFrame {
  public:
    ColourChooserFrame(PropertyPageView& page, PropertyEditor& editor, QWidget* parent)
        : ChooserFrame(page, editor, parent) {
        ShowColour();
    }

  private:
    // A Windows colour value holds red in its low byte.
    static QColor FromBgr(std::uint32_t bgr) {
        return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
    }
    static std::uint32_t ToBgr(const QColor& c) {
        return static_cast<std::uint32_t>(c.blue()) << 16 |
               static_cast<std::uint32_t>(c.green()) << 8 | static_cast<std::uint32_t>(c.red());
    }

    void ShowColour() {
        ShowValue();
        QPixmap swatch(12, 12);
        const auto bgr = ParseColourValue(editor_.Value);
        swatch.fill(bgr ? FromBgr(*bgr) : QColor(Qt::transparent));
        button_.setIcon(QIcon(swatch));
    }

    void Choose() override {
        const auto bgr = ParseColourValue(editor_.Value);
        QColorDialog dialog(bgr ? FromBgr(*bgr) : QColor(Qt::white), this);
        if (dialog.exec() != QDialog::Accepted) return;
        editor_.Value = ColourValueText(ToBgr(dialog.selectedColor()));
        ShowColour();
    }
};

}  // namespace

PropertyEditorFrame::PropertyEditorFrame(PropertyPageView& page, PropertyEditor& editor,
                                         QWidget* parent)
    : QFrame(parent), page_(page), editor_(editor) {
    setObjectName(QString::fromStdString(editor.component_name));
}

std::unique_ptr<PropertyEditorFrame> MakeEditorFrame(PropertyPageView& page, PropertyEditor& editor,
                                                     QWidget* parent) {
    switch (editor.kind) {
        case EditorKind::kHeading:
            return std::make_unique<HeadingFrame>(page, editor, parent);
        case EditorKind::kCheckBox:
            return std::make_unique<CheckBoxFrame>(page, editor, parent);
        case EditorKind::kRadioGroup:
            return std::make_unique<RadioGroupFrame>(page, editor, parent);
        case EditorKind::kText:
        case EditorKind::kNumber:
            return std::make_unique<TextEditorFrame>(page, editor, parent);
        case EditorKind::kFile:
            return std::make_unique<FileChooserFrame>(page, editor, parent);
        case EditorKind::kColour:
            return std::make_unique<ColourChooserFrame>(page, editor, parent);
    }
    throw std::logic_error("an editor kind without a frame");
}

}  // namespace drwa::dialogs::qt
