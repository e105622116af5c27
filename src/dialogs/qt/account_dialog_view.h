// The account settings dialog as Qt widgets: a thin view over TFormAccount,
// every control named as its field in the model.
#pragma once

#include <QDialog>
#include <array>

#include "dialogs/account_dialog.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class QTabWidget;
class QWidget;

namespace drwa::dialogs::qt {

class SubjectPanelView;
class TitlePanelView;

class AccountDialogView : public QDialog {
    Q_OBJECT

  public:
    // The model has been shown (FormShow); the view shows its state.
    explicit AccountDialogView(TFormAccount& model, QWidget* parent = nullptr);
    ~AccountDialogView() override;

  private:
    QWidget* BuildBasicPage();
    QWidget* BuildOtherPage();
    void Refresh();
    // The text of an edit into `field` (CP932); a character without a CP932
    // form is refused and the edit shows the field again.
    void Take(QLineEdit* edit, std::string& field);
    void BrowseFolder();
    void BrowseFile(QLineEdit* edit, std::string& field);

    TFormAccount& model_;
    bool refreshing_ = false;

    QTabWidget* PageControl1 = nullptr;
    QLineEdit* EditDRWAPluginFolder = nullptr;
    QLineEdit* EditPerlFolder = nullptr;
    QLineEdit* EditRubyFolder = nullptr;
    QButtonGroup* RadioGroup1 = nullptr;
    QLabel* LabelProxy = nullptr;
    QLineEdit* EditProxy = nullptr;
    QLineEdit* EditProxyPort = nullptr;
    QSpinBox* SpinEditTimeOut = nullptr;
    QSpinBox* SpinEditTimeOut2 = nullptr;
    QSpinBox* SpinEditThreadCount = nullptr;
    QCheckBox* CheckBoxAbortTransLog = nullptr;
    SubjectPanelView* TFrameSubjectFrame1 = nullptr;
    TitlePanelView* TFrameBBSTitleFrame1 = nullptr;
};

// Shows the dialog modally over the model; true when it closed with OK.
bool ShowAccountDialog(TFormAccount& model);

}  // namespace drwa::dialogs::qt
