#include "dialogs/qt/group_dialog_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "common/error.h"
#include "dialogs/edit_group_property.h"
#include "dialogs/group_dialog_texts.h"
#include "dialogs/qt/dialog_entry.h"
#include "dialogs/qt/format_panel_views.h"
#include "dialogs/qt/property_page_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_text.h"
#include "dialogs/qt/view_helpers.h"
#include "platform/open_handler.h"

namespace drwa::dialogs::qt {
namespace {

namespace gt = group_texts;

QLabel* Caption(std::string_view text, QWidget* buddy = nullptr) {
    auto* label = new QLabel(ToQString(text));
    if (buddy) label->setBuddy(buddy);
    return label;
}

// "A|*.a|B|*.b" as Qt writes filters: "A (*.a);;B (*.b)".
QString QtFilter(std::string_view filter) {
    const QStringList parts = ToQString(filter).split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
    return filters.join(QStringLiteral(";;"));
}

}  // namespace

std::vector<std::string> QtDialogServices::ChooseFilesToOpen(std::string_view title,
                                                             std::string_view filter) {
    const QStringList chosen =
        QFileDialog::getOpenFileNames(parent_, ToQString(title), QString(), QtFilter(filter));
    std::vector<std::string> files;
    for (const QString& file : chosen) {
        try {
            files.push_back(ToCp932(file));
        } catch (const Error& e) {
            ShowError(e.what());  // a name the settings could not hold
        }
    }
    return files;
}

bool QtDialogServices::OpenWithDefaultHandler(std::string_view path) {
    return platform::OpenWithDefaultHandler(path);
}

GroupDialogView::GroupDialogView(TFormGroup& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("TFormGroup"));
    setWindowTitle(ToQString(gt::kCaption));
    Build();
    // Room for the longest patrol labels beside boxes a URL fits in.
    resize(720, 500);
    Refresh();
}

GroupDialogView::~GroupDialogView() = default;

template <typename Handler>
void GroupDialogView::Run(Handler&& handler) {
    if (refreshing_) return;
    const bool loaded = model_.PagesLoaded();
    handler();
    if (!loaded && model_.PagesLoaded()) {
        FramePropertyEdit1->Rebuild();
        TFrameSubjectFrame1->Refresh();
        TFrameBBSTitleFrame1->Refresh();
    }
    Refresh();
}

bool GroupDialogView::Take(QLineEdit* edit, std::string& field) {
    return TakeEditText(edit, field);
}

void GroupDialogView::Build() {
    auto* root = new QVBoxLayout(this);

    // The group: a new name and "作成", or the list of the groups edited.
    auto* top = new QHBoxLayout;
    EditKeijibanName = Named(new QLineEdit, "EditKeijibanName");
    ButtonMakeFolder = Named(new QPushButton(ToQString(gt::kButtonMakeFolder)), "ButtonMakeFolder");
    ComboBoxKeijibanName = Named(new QComboBox, "ComboBoxKeijibanName");
    ComboBoxKeijibanName->setMinimumWidth(240);
    top->addWidget(EditKeijibanName, 1);
    top->addWidget(ButtonMakeFolder);
    top->addWidget(ComboBoxKeijibanName, 1);
    root->addLayout(top);

    PageControl1 = Named(new QTabWidget, "PageControl1");
    PageControl1->addTab(BuildBasicPage(), ToQString(gt::kPages[0]));
    PageControl1->addTab(BuildPatrolPage(), ToQString(gt::kPages[1]));
    PageControl1->addTab(BuildDetailPage(), ToQString(gt::kPages[2]));
    PageControl1->addTab(BuildDetail2Page(), ToQString(gt::kPages[3]));
    root->addWidget(PageControl1, 1);
    root->addStretch();  // holds the rows together while the pages are hidden

    auto* bottom = new QHBoxLayout;
    EditNameHenko = Named(new QLineEdit, "EditNameHenko");
    LabelNameHenko = Named(Caption(gt::kLabelNameHenko, EditNameHenko), "LabelNameHenko");
    ButtonOK = Named(new QPushButton(ToQString(gt::kButtonOK)), "ButtonOK");
    ButtonCancel = Named(new QPushButton(ToQString(gt::kButtonCancel)), "ButtonCancel");
    ButtonOK->setDefault(true);
    bottom->addWidget(LabelNameHenko);
    bottom->addWidget(EditNameHenko, 1);
    bottom->addStretch();
    bottom->addWidget(ButtonOK);
    bottom->addWidget(ButtonCancel);
    root->addLayout(bottom);

    // Group names are upper case, as the folders are named.
    const auto upper_case = [this](QLineEdit* edit, auto&& store) {
        connect(edit, &QLineEdit::textEdited, this, [this, edit, store](const QString& text) {
            if (refreshing_) return;
            const int cursor = edit->cursorPosition();
            edit->setText(text.toUpper());
            edit->setCursorPosition(cursor);
            store(edit);
        });
    };
    upper_case(EditKeijibanName, [this](QLineEdit* e) { Take(e, model_.EditKeijibanName); });
    upper_case(EditNameHenko, [this](QLineEdit* e) {
        if (Take(e, model_.EditNameHenko.text)) model_.EditNameHenko.modified = true;
    });
    connect(ButtonMakeFolder, &QPushButton::clicked, this,
            [this] { Run([this] { model_.ButtonMakeFolderClick(); }); });
    connect(ComboBoxKeijibanName, &QComboBox::activated, this, [this](int index) {
        Run([this, index] {
            model_.KeijibanIndex = index;
            model_.ComboBoxKeijibanNameChange();
        });
    });
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        Run([this, index] { model_.PageControl1Change(static_cast<GroupPage>(index)); });
        if (model_.FocusParameterPage) {
            model_.FocusParameterPage = false;
            FramePropertyEdit1->setFocus();
        }
    });
    connect(ButtonOK, &QPushButton::clicked, this, [this] {
        bool close = false;
        Run([this, &close] { close = model_.ButtonOKClick(); });
        if (close) accept();
    });
    connect(ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QWidget* GroupDialogView::BuildBasicPage() {
    auto* page = Named(new QWidget, "TabSheet1");
    auto* grid = new QGridLayout(page);
    ComboBoxPluginName = Named(new QComboBox, "ComboBoxPluginName");
    ComboBoxPluginName->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    CheckBoxJunkai = Named(new QCheckBox(ToQString(gt::kCheckBoxJunkai)), "CheckBoxJunkai");
    ButtonPluginHelp = Named(new QPushButton(ToQString(gt::kButtonPluginHelp)), "ButtonPluginHelp");
    LabelPluginTaiou = Named(new QLabel, "LabelPluginTaiou");
    LabelPluginSakusya = Named(new QLabel, "LabelPluginSakusya");
    LabelPluginVersion = Named(new QLabel, "LabelPluginVersion");
    MemoPluginComment = Named(new QPlainTextEdit, "MemoPluginComment");
    MemoPluginComment->setReadOnly(true);
    grid->addWidget(Caption(gt::kComboBoxPluginName, ComboBoxPluginName), 0, 0);
    grid->addWidget(ComboBoxPluginName, 0, 1);
    grid->addWidget(ButtonPluginHelp, 0, 3);
    grid->addWidget(CheckBoxJunkai, 1, 0, 1, 4);
    grid->addWidget(LabelPluginTaiou, 2, 0, 1, 4);
    grid->addWidget(LabelPluginSakusya, 3, 0, 1, 4);
    grid->addWidget(LabelPluginVersion, 4, 0, 1, 4);
    grid->addWidget(Caption(gt::kLabelComment, MemoPluginComment), 5, 0, 1, 4);
    grid->addWidget(MemoPluginComment, 6, 0, 1, 4);
    grid->setColumnStretch(2, 1);

    connect(ComboBoxPluginName, &QComboBox::activated, this, [this](int index) {
        Run([this, index] {
            model_.PluginIndex = index;
            model_.ComboBoxPluginNameChange();
        });
    });
    connect(CheckBoxJunkai, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) model_.CheckBoxJunkai = on;
    });
    connect(ButtonPluginHelp, &QPushButton::clicked, this,
            [this] { Run([this] { model_.ButtonPluginHelpClick(); }); });
    return page;
}

QWidget* GroupDialogView::BuildPatrolPage() {
    auto* page = Named(new QWidget, "TabSheet2");
    auto* grid = new QGridLayout(page);
    for (std::size_t i = 0; i < EditJunkai.size(); ++i) {
        const QString n = QString::number(i + 1);
        EditJunkai[i] = new QLineEdit;
        EditJunkai[i]->setObjectName(QStringLiteral("EditJunkai") + n);
        LabelJunkai[i] = new QLabel;
        LabelJunkai[i]->setObjectName(QStringLiteral("LabelJunkai") + n);
        LabelJunkai[i]->setBuddy(EditJunkai[i]);
        grid->addWidget(LabelJunkai[i], static_cast<int>(i), 0);
        grid->addWidget(EditJunkai[i], static_cast<int>(i), 1);
        connect(EditJunkai[i], &QLineEdit::textEdited, this, [this, i] {
            if (!refreshing_) Take(EditJunkai[i], model_.EditJunkai[i].text);
        });
    }
    EditJunkai.back()->setEchoMode(QLineEdit::Password);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(static_cast<int>(EditJunkai.size()), 1);
    return page;
}

QWidget* GroupDialogView::BuildDetailPage() {
    auto* page = Named(new QWidget, "TabSheet3");
    auto* box = new QVBoxLayout(page);
    FramePropertyEdit1 =
        new PropertyPageView(model_.FramePropertyEdit1, QStringLiteral("FramePropertyEdit1"));
    ComboBoxCharSet = Named(new QComboBox, "ComboBoxCharSet");
    for (std::string_view charset : gt::kCharSets) ComboBoxCharSet->addItem(ToQString(charset));
    MemoSignature = Named(new QPlainTextEdit, "MemoSignature");
    MemoSignature->setReadOnly(true);
    MemoSignature->setMaximumHeight(80);
    box->addWidget(Caption(gt::kFramePropertyEdit, FramePropertyEdit1));
    box->addWidget(FramePropertyEdit1, 1);
    auto* charset = new QHBoxLayout;
    charset->addWidget(Caption(gt::kComboBoxCharSet, ComboBoxCharSet));
    charset->addWidget(ComboBoxCharSet);
    charset->addStretch();
    box->addLayout(charset);
    box->addWidget(Caption(gt::kMemoSignature, MemoSignature));
    box->addWidget(MemoSignature);
    connect(ComboBoxCharSet, &QComboBox::activated, this, [this](int index) {
        if (!refreshing_) model_.ComboBoxCharSet = index;
    });
    return page;
}

QWidget* GroupDialogView::BuildDetail2Page() {
    auto* page = Named(new QWidget, "TabSheet4");
    auto* box = new QVBoxLayout(page);
    auto* tabs = Named(new QTabWidget, "PageControl2");
    box->addWidget(tabs);

    auto* subject = Named(new QWidget, "TabSheetSubject");
    auto* subject_box = new QVBoxLayout(subject);
    CheckBoxHikitugiSubject =
        Named(new QCheckBox(ToQString(gt::kInherit)), "CheckBoxHikitugiSubject");
    TFrameSubjectFrame1 =
        new SubjectPanelView(model_.TFrameSubjectFrame1, QStringLiteral("TFrameSubjectFrame1"));
    subject_box->addWidget(CheckBoxHikitugiSubject);
    subject_box->addWidget(TFrameSubjectFrame1);
    subject_box->addStretch();
    tabs->addTab(subject, ToQString(gt::kOptionPages[0]));

    auto* title = Named(new QWidget, "TabSheetBBSTitle");
    auto* title_box = new QVBoxLayout(title);
    CheckBoxHikitugiBBSTitle =
        Named(new QCheckBox(ToQString(gt::kInherit)), "CheckBoxHikitugiBBSTitle");
    TFrameBBSTitleFrame1 =
        new TitlePanelView(model_.TFrameBBSTitleFrame1, QStringLiteral("TFrameBBSTitleFrame1"));
    title_box->addWidget(CheckBoxHikitugiBBSTitle);
    title_box->addWidget(TFrameBBSTitleFrame1);
    title_box->addStretch();
    tabs->addTab(title, ToQString(gt::kOptionPages[1]));

    auto* other = Named(new QWidget, "TabSheetOther");
    auto* grid = new QGridLayout(other);
    SpinEditThreadNumber = Named(new QSpinBox, "SpinEditThreadNumber");
    CheckBoxSaveNumber =
        Named(new QCheckBox(ToQString(gt::kCheckBoxSaveNumber)), "CheckBoxSaveNumber");
    ButtonTorikomi = Named(new QPushButton(ToQString(gt::kButtonTorikomi)), "ButtonTorikomi");
    grid->addWidget(Caption(gt::kSpinEditThreadNumber, SpinEditThreadNumber), 0, 0);
    grid->addWidget(SpinEditThreadNumber, 0, 1);
    grid->addWidget(CheckBoxSaveNumber, 1, 0, 1, 2);
    grid->addWidget(ButtonTorikomi, 2, 0);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(2, 1);
    tabs->addTab(other, ToQString(gt::kOptionPages[2]));

    // The format panel shows exactly while its inherit box is clear.
    connect(CheckBoxHikitugiSubject, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        model_.CheckBoxHikitugiSubject = on;
        TFrameSubjectFrame1->setVisible(!on);
    });
    connect(CheckBoxHikitugiBBSTitle, &QCheckBox::toggled, this, [this](bool on) {
        if (refreshing_) return;
        model_.CheckBoxHikitugiBBSTitle = on;
        TFrameBBSTitleFrame1->setVisible(!on);
    });
    connect(SpinEditThreadNumber, &QSpinBox::valueChanged, this, [this](int value) {
        if (!refreshing_) model_.SpinEditThreadNumber = value;
    });
    connect(CheckBoxSaveNumber, &QCheckBox::toggled, this, [this](bool on) {
        if (!refreshing_) model_.CheckBoxSaveNumber = on;
    });
    connect(ButtonTorikomi, &QPushButton::clicked, this,
            [this] { Run([this] { model_.ButtonTorikomiClick(); }); });
    return page;
}

void GroupDialogView::Refresh() {
    const bool was = refreshing_;
    refreshing_ = true;
    const TFormGroup& m = model_;

    EditKeijibanName->setVisible(m.NewGroupControlsVisible);
    ButtonMakeFolder->setVisible(m.NewGroupControlsVisible);
    if (EditKeijibanName->text() != ToQString(m.EditKeijibanName))
        EditKeijibanName->setText(ToQString(m.EditKeijibanName));
    ComboBoxKeijibanName->clear();
    for (const std::string& name : m.ComboBoxKeijibanName)
        ComboBoxKeijibanName->addItem(ToQString(name));
    ComboBoxKeijibanName->setCurrentIndex(m.KeijibanIndex);
    ComboBoxKeijibanName->setVisible(m.GroupListVisible);
    LabelNameHenko->setEnabled(m.RenameEnabled);
    EditNameHenko->setEnabled(m.RenameEnabled);
    ButtonOK->setEnabled(m.ButtonOKEnabled);
    PageControl1->setVisible(m.PagesVisible);
    ButtonTorikomi->setVisible(m.ButtonTorikomiVisible);
    PageControl1->setCurrentIndex(static_cast<int>(m.ActivePage));

    ComboBoxPluginName->clear();
    for (const config::ArticlePlugin& plugin : m.ComboBoxPluginName)
        ComboBoxPluginName->addItem(ToQString(plugin.name));
    ComboBoxPluginName->setCurrentIndex(m.PluginIndex);
    CheckBoxJunkai->setChecked(m.CheckBoxJunkai);
    LabelPluginTaiou->setText(ToQString(std::string(gt::kLabelTaiou) + m.LabelPluginTaiou));
    LabelPluginSakusya->setText(ToQString(std::string(gt::kLabelSakusya) + m.LabelPluginSakusya));
    LabelPluginVersion->setText(ToQString(std::string(gt::kLabelVersion) + m.LabelPluginVersion));
    MemoPluginComment->setPlainText(ToQString(m.MemoPluginComment));

    for (std::size_t i = 0; i < EditJunkai.size(); ++i) {
        const PatrolField& field = m.EditJunkai[i];
        LabelJunkai[i]->setText(ToQString(field.label));
        LabelJunkai[i]->setEnabled(field.enabled);
        EditJunkai[i]->setEnabled(field.enabled);
        // A field the plugin does not use looks like the dialog's face.
        QPalette palette = EditJunkai[i]->palette();
        palette.setColor(QPalette::Base, field.enabled ? QPalette().color(QPalette::Base)
                                                       : QPalette().color(QPalette::Button));
        EditJunkai[i]->setPalette(palette);
        if (EditJunkai[i]->text() != ToQString(field.text))
            EditJunkai[i]->setText(ToQString(field.text));
    }

    ComboBoxCharSet->setCurrentIndex(m.ComboBoxCharSet);
    MemoSignature->setPlainText(ToQString(m.MemoSignature));

    CheckBoxHikitugiSubject->setChecked(m.CheckBoxHikitugiSubject);
    TFrameSubjectFrame1->setVisible(!m.CheckBoxHikitugiSubject);
    CheckBoxHikitugiBBSTitle->setChecked(m.CheckBoxHikitugiBBSTitle);
    TFrameBBSTitleFrame1->setVisible(!m.CheckBoxHikitugiBBSTitle);
    SpinEditThreadNumber->setRange(0, std::max(0, m.ThreadNumberMax));
    SpinEditThreadNumber->setValue(m.SpinEditThreadNumber);
    CheckBoxSaveNumber->setChecked(m.CheckBoxSaveNumber);
    refreshing_ = was;
}

bool ShowGroupDialog(TFormGroup& model) {
    EnsureApplication();
    GroupDialogView view(model);
    return view.exec() == QDialog::Accepted;
}

void EditGroupPropertyOnScreen(std::string_view account_path, std::vector<std::int32_t> groups) {
    // Without a screen this fails here, before any widget exists.
    EnsureApplication();
    QtDialogServices services(DialogQuestions());
    EditGroupProperty(account_path, std::move(groups), services, ShowGroupDialog);
}

}  // namespace drwa::dialogs::qt
