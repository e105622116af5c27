#include "dialogs/qt/account_dialog_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <utility>

#include "dialogs/group_dialog_texts.h"
#include "dialogs/qt/dialog_entry.h"
#include "dialogs/qt/format_panel_views.h"
#include "dialogs/qt/group_dialog_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_text.h"
#include "dialogs/qt/view_helpers.h"

namespace drwa::dialogs::qt {
namespace {

namespace at = account_texts;

// A number box whose buttons keep to [low, high] while the digits typed may
// leave it, so that the OK check sees what was typed.
class SteppedSpinBox final : public QSpinBox {
  public:
    SteppedSpinBox(int low, int high) : low_(low), high_(high) {}

  protected:
    void stepBy(int steps) override {
        setValue(std::clamp(value() + steps * singleStep(), low_, high_));
    }
    StepEnabled stepEnabled() const override {
        StepEnabled enabled = StepNone;
        if (value() > low_) enabled |= StepDownEnabled;
        if (value() < high_) enabled |= StepUpEnabled;
        return enabled;
    }

  private:
    int low_, high_;
};

QLabel* RedNote(std::string_view text) {
    auto* label = new QLabel(ToQString(text));
    label->setStyleSheet(QStringLiteral("color: red"));
    return label;
}

}  // namespace

AccountDialogView::AccountDialogView(TFormAccount& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("TFormAccount"));
    setWindowTitle(ToQString(at::kCaption));
    // A fixed border with only the system menu.
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* root = new QVBoxLayout(this);
    PageControl1 = Named(new QTabWidget, "PageControl1");
    PageControl1->addTab(BuildBasicPage(), ToQString(at::kPages[0]));
    PageControl1->addTab(BuildOtherPage(), ToQString(at::kPages[1]));
    TFrameSubjectFrame1 =
        new SubjectPanelView(model_.TFrameSubjectFrame1, QStringLiteral("TFrameSubjectFrame1"));
    PageControl1->addTab(TFrameSubjectFrame1, ToQString(at::kPages[2]));
    TFrameBBSTitleFrame1 =
        new TitlePanelView(model_.TFrameBBSTitleFrame1, QStringLiteral("TFrameBBSTitleFrame1"));
    PageControl1->addTab(TFrameBBSTitleFrame1, ToQString(at::kPages[3]));
    root->addWidget(PageControl1);

    auto* bottom = new QHBoxLayout;
    auto* identity = new QVBoxLayout;
    identity->addWidget(Named(new QLabel(ToQString(at::VersionLabel())), "LabelVersion"));
    identity->addWidget(Named(new QLabel(ToQString(at::AuthorLabel())), "LabelAuthor"));
    bottom->addLayout(identity);
    bottom->addStretch();
    auto* ok = Named(new QPushButton(ToQString(at::kOK)), "ButtonOK");
    auto* cancel = Named(new QPushButton(ToQString(at::kCancel)), "ButtonCancel");
    ok->setDefault(true);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);
    root->addLayout(bottom);

    connect(ok, &QPushButton::clicked, this, [this] {
        if (model_.ButtonOKClick()) {
            accept();
            return;
        }
        if (model_.FocusField == TFormAccount::Field::kProxyPort) {
            PageControl1->setCurrentIndex(0);
            EditProxyPort->setFocus();
        } else if (model_.FocusField == TFormAccount::Field::kThreadCount) {
            PageControl1->setCurrentIndex(1);
            SpinEditThreadCount->setFocus();
        }
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    TFrameSubjectFrame1->Refresh();
    TFrameBBSTitleFrame1->Refresh();
    Refresh();
    setFixedSize(sizeHint().expandedTo(QSize(560, 0)));
    EditDRWAPluginFolder->setFocus();
}

AccountDialogView::~AccountDialogView() = default;

void AccountDialogView::Take(QLineEdit* edit, std::string& field) {
    if (!refreshing_) TakeEditText(edit, field);
}

QWidget* AccountDialogView::BuildBasicPage() {
    auto* page = Named(new QWidget, "TabSheet1");
    auto* grid = new QGridLayout(page);
    const auto path_row = [&](int row, std::string_view caption, QLineEdit*& edit,
                              const char* edit_name, const char* button_name, std::string& field) {
        edit = Named(new QLineEdit, edit_name);
        auto* label = new QLabel(ToQString(caption));
        label->setBuddy(edit);
        auto* browse = Named(new QPushButton(ToQString(at::kBrowse)), button_name);
        browse->setFixedWidth(32);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1, 1, 3);
        grid->addWidget(browse, row, 4);
        QLineEdit* e = edit;
        connect(e, &QLineEdit::textEdited, this, [this, e, &field] { Take(e, field); });
        return browse;
    };
    connect(path_row(0, at::kPluginFolder, EditDRWAPluginFolder, "EditDRWAPluginFolder",
                     "ButtonDRWAPluginFolder", model_.EditDRWAPluginFolder),
            &QPushButton::clicked, this, [this] { BrowseFolder(); });
    connect(path_row(1, at::kPerl, EditPerlFolder, "EditPerlFolder", "ButtonPerlFolder",
                     model_.EditPerlFolder),
            &QPushButton::clicked, this,
            [this] { BrowseFile(EditPerlFolder, model_.EditPerlFolder); });
    connect(path_row(2, at::kRuby, EditRubyFolder, "EditRubyFolder", "ButtonRubyFolder",
                     model_.EditRubyFolder),
            &QPushButton::clicked, this,
            [this] { BrowseFile(EditRubyFolder, model_.EditRubyFolder); });

    auto* box = Named(new QGroupBox(ToQString(at::kProxyCaption)), "GroupBoxRadioGroup1");
    auto* radios = new QGridLayout(box);
    RadioGroup1 = new QButtonGroup(this);
    RadioGroup1->setObjectName(QStringLiteral("RadioGroup1"));
    for (int i = 0; i < static_cast<int>(at::kProxyItems.size()); ++i) {
        auto* button = new QRadioButton(ToQString(at::kProxyItems[i]));
        button->setObjectName(QStringLiteral("RadioButton%1").arg(i + 1));
        RadioGroup1->addButton(button, i);
        radios->addWidget(button, 0, i);  // three columns
    }
    EditProxy = Named(new QLineEdit, "EditProxy");
    EditProxyPort = Named(new QLineEdit, "EditProxyPort");
    EditProxyPort->setMaximumWidth(80);
    LabelProxy = Named(new QLabel(ToQString(at::kProxyServer)), "LabelProxy");
    LabelProxy->setBuddy(EditProxy);
    radios->addWidget(LabelProxy, 1, 0);
    radios->addWidget(EditProxy, 1, 1);
    radios->addWidget(EditProxyPort, 1, 2);
    grid->addWidget(box, 3, 0, 1, 5);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(1, 1);

    connect(RadioGroup1, &QButtonGroup::idClicked, this, [this](int id) {
        if (refreshing_) return;
        model_.RadioGroup1 = id;
        model_.RadioGroup1Click();
        Refresh();
    });
    connect(EditProxy, &QLineEdit::textEdited, this, [this] { Take(EditProxy, model_.EditProxy); });
    connect(EditProxyPort, &QLineEdit::textEdited, this,
            [this] { Take(EditProxyPort, model_.EditProxyPort); });
    return page;
}

QWidget* AccountDialogView::BuildOtherPage() {
    auto* page = Named(new QWidget, "TabSheet2");
    auto* grid = new QGridLayout(page);
    SpinEditTimeOut = Named(new QSpinBox, "SpinEditTimeOut");
    SpinEditTimeOut->setRange(0, TFormAccount::kTimeOutMax);
    SpinEditTimeOut2 = Named(new QSpinBox, "SpinEditTimeOut2");
    SpinEditTimeOut2->setRange(TFormAccount::kTimeOut2Min, TFormAccount::kTimeOut2Max);
    SpinEditTimeOut2->setSingleStep(TFormAccount::kTimeOut2Step);
    // One digit may be typed; the buttons keep to 1 ... 4, and OK checks what
    // was typed.
    SpinEditThreadCount =
        Named(new SteppedSpinBox(TFormAccount::kThreadCountMin, TFormAccount::kThreadCountMax),
              "SpinEditThreadCount");
    SpinEditThreadCount->setRange(0, 9);
    CheckBoxAbortTransLog =
        Named(new QCheckBox(ToQString(at::kAbortTransLog)), "CheckBoxAbortTransLog");

    const auto row = [&](int r, std::string_view caption, QSpinBox* spin) {
        auto* label = new QLabel(ToQString(caption));
        label->setBuddy(spin);
        grid->addWidget(label, r, 0);
        grid->addWidget(spin, r, 1);
    };
    row(0, at::kTimeOut, SpinEditTimeOut);
    auto* note = new QVBoxLayout;
    note->addWidget(RedNote(at::kTimeOutNote[0]));
    note->addWidget(RedNote(at::kTimeOutNote[1]));
    grid->addLayout(note, 0, 2);
    row(1, at::kTimeOut2, SpinEditTimeOut2);
    grid->addWidget(RedNote(at::kTimeOut2Note), 1, 2);
    row(2, at::kThreadCount, SpinEditThreadCount);
    grid->addWidget(RedNote(at::kThreadCountNote), 2, 2);
    grid->addWidget(CheckBoxAbortTransLog, 3, 0, 1, 3);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(3, 1);

    const std::array<std::pair<QSpinBox*, int*>, 3> numbers{{
        {SpinEditTimeOut, &model_.SpinEditTimeOut},
        {SpinEditTimeOut2, &model_.SpinEditTimeOut2},
        {SpinEditThreadCount, &model_.SpinEditThreadCount},
    }};
    for (const auto& number : numbers) {
        int* field = number.second;
        connect(number.first, &QSpinBox::valueChanged, this, [this, field](int value) {
            if (!refreshing_) *field = value;
        });
    }
    connect(CheckBoxAbortTransLog, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) model_.CheckBoxAbortTransLog = on;
    });
    return page;
}

void AccountDialogView::Refresh() {
    refreshing_ = true;
    const TFormAccount& m = model_;
    EditDRWAPluginFolder->setText(ToQString(m.EditDRWAPluginFolder));
    EditPerlFolder->setText(ToQString(m.EditPerlFolder));
    EditRubyFolder->setText(ToQString(m.EditRubyFolder));
    if (QAbstractButton* chosen = RadioGroup1->button(m.RadioGroup1)) chosen->setChecked(true);
    EditProxy->setText(ToQString(m.EditProxy));
    EditProxyPort->setText(ToQString(m.EditProxyPort));
    for (QWidget* w : std::initializer_list<QWidget*>{LabelProxy, EditProxy, EditProxyPort})
        w->setEnabled(m.ProxyControlsEnabled);
    SpinEditTimeOut->setValue(m.SpinEditTimeOut);
    SpinEditTimeOut2->setValue(m.SpinEditTimeOut2);
    SpinEditThreadCount->setValue(m.SpinEditThreadCount);
    CheckBoxAbortTransLog->setChecked(m.CheckBoxAbortTransLog);
    refreshing_ = false;
}

void AccountDialogView::BrowseFolder() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, ToQString(at::kPluginFolderChooser),
        QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
    if (folder.isEmpty()) return;
    EditDRWAPluginFolder->setText(folder);
    Take(EditDRWAPluginFolder, model_.EditDRWAPluginFolder);
}

void AccountDialogView::BrowseFile(QLineEdit* edit, std::string& field) {
    const QStringList parts = ToQString(at::kExecutableFilter).split(QLatin1Char('|'));
    const QString filter = parts[0] + QStringLiteral(" (") + parts[1] + QStringLiteral(");;") +
                           parts[2] + QStringLiteral(" (") + parts[3] + QLatin1Char(')');
    const QString file = QFileDialog::getOpenFileName(this, QString(), edit->text(), filter);
    if (file.isEmpty()) return;
    edit->setText(file);
    Take(edit, field);
}

bool ShowAccountDialog(TFormAccount& model) {
    EnsureApplication();
    AccountDialogView view(model);
    return view.exec() == QDialog::Accepted;
}

void EditAccountOnScreen(std::string_view account_path) {
    // Without a screen this fails here, before any widget exists.
    EnsureApplication();
    QtDialogServices services(DialogQuestions());
    EditAccount(account_path, services, ShowAccountDialog);
}

}  // namespace drwa::dialogs::qt
