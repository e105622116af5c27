// The group properties dialog as Qt widgets: a thin view over TFormGroup.
// Every control carries the name of its field in the model as object name;
// what the user changes goes into the model, each event runs the model's
// handler, and the widgets then show the model again.
#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "dialogs/dialog_services.h"
#include "dialogs/group_dialog.h"
#include "platform/question.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace drwa::dialogs::qt {

class PropertyPageView;
class SubjectPanelView;
class TitlePanelView;

// The services the group dialog asks for, over a Qt window: message boxes
// (through `questions`), the file-open dialog, the desktop's opener.
class QtDialogServices final : public DialogServices {
  public:
    QtDialogServices(platform::QuestionService& questions, QWidget* parent = nullptr)
        : questions_(questions), parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    platform::Answer AskOkCancel(std::string_view text) override {
        return questions_.AskOkCancel(text);
    }
    void ShowError(std::string_view text) override { questions_.ShowError(text); }
    void ShowInformation(std::string_view text) override { questions_.ShowInformation(text); }
    bool AskYesNo(std::string_view text) override { return questions_.AskYesNo(text); }
    std::vector<std::string> ChooseFilesToOpen(std::string_view title,
                                               std::string_view filter) override;
    bool OpenWithDefaultHandler(std::string_view path) override;

  private:
    platform::QuestionService& questions_;
    QWidget* parent_;
};

class GroupDialogView : public QDialog {
    Q_OBJECT

  public:
    // The model has been shown (FormShow); the view shows its state.
    explicit GroupDialogView(TFormGroup& model, QWidget* parent = nullptr);
    ~GroupDialogView() override;

    // Shows the model's state in the widgets.
    void Refresh();

  private:
    void Build();
    QWidget* BuildBasicPage();
    QWidget* BuildPatrolPage();
    QWidget* BuildDetailPage();
    QWidget* BuildDetail2Page();
    // Runs a model handler, then shows the model again; a handler that loaded
    // the later pages also rebuilds the parameter page and the panels.
    template <typename Handler>
    void Run(Handler&& handler);
    // Takes the text of an edit into `field` (CP932); a character without a
    // CP932 form is refused and the edit shows the field again.
    bool Take(QLineEdit* edit, std::string& field);

    TFormGroup& model_;
    bool refreshing_ = false;

    QLineEdit* EditKeijibanName = nullptr;
    QPushButton* ButtonMakeFolder = nullptr;
    QComboBox* ComboBoxKeijibanName = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QComboBox* ComboBoxPluginName = nullptr;
    QCheckBox* CheckBoxJunkai = nullptr;
    QPushButton* ButtonPluginHelp = nullptr;
    QLabel* LabelPluginTaiou = nullptr;
    QLabel* LabelPluginSakusya = nullptr;
    QLabel* LabelPluginVersion = nullptr;
    QPlainTextEdit* MemoPluginComment = nullptr;
    std::array<QLabel*, 10> LabelJunkai{};
    std::array<QLineEdit*, 10> EditJunkai{};
    PropertyPageView* FramePropertyEdit1 = nullptr;
    QComboBox* ComboBoxCharSet = nullptr;
    QPlainTextEdit* MemoSignature = nullptr;
    QCheckBox* CheckBoxHikitugiSubject = nullptr;
    SubjectPanelView* TFrameSubjectFrame1 = nullptr;
    QCheckBox* CheckBoxHikitugiBBSTitle = nullptr;
    TitlePanelView* TFrameBBSTitleFrame1 = nullptr;
    QSpinBox* SpinEditThreadNumber = nullptr;
    QCheckBox* CheckBoxSaveNumber = nullptr;
    QPushButton* ButtonTorikomi = nullptr;
    QLabel* LabelNameHenko = nullptr;
    QLineEdit* EditNameHenko = nullptr;
    QPushButton* ButtonOK = nullptr;
    QPushButton* ButtonCancel = nullptr;
};

// Shows the dialog modally over the model; true when it closed with OK.
bool ShowGroupDialog(TFormGroup& model);

}  // namespace drwa::dialogs::qt
