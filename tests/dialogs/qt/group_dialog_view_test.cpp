// The group properties dialog driven as a user drives it, on Qt's offscreen
// platform: keys and clicks into the real widgets, real message boxes
// answered by clicking, the sample plugin of the repository, and the settings
// files checked byte for byte afterwards.
//
// With DRWA_SCREENSHOTS=FOLDER set, every page is also saved there as a PNG
// (scripts/dialog-screenshots runs this under Xvfb).
#include <gtest/gtest.h>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <functional>
#include <regex>
#include <string>

#include "config/ini_file.h"
#include "dialog_driving.h"
#include "dialogs/edit_group_property.h"
#include "dialogs/group_dialog_expectations.h"
#include "dialogs/qt/group_dialog_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "platform/charset_edge.h"
#include "platform/display.h"
#include "support/temp_folder.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::TempFolder;
namespace expected = drwa::dialogs::expected;

class GroupDialogView : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApplication();
        // The sample plugin alone: the dialog offers the first of the folder.
        dir_.CopyIn(DRWA_SOURCE_DIR "/plugins/cm_TEXTBOARD.PL", "plugins/cm_TEXTBOARD.PL");
        dir_.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + (dir_ / "plugins") +
                                           "\r\nPERL_EXE=perl\r\nTHREAD_COUNT=2\r\n");
    }
    std::string Account() const { return dir_ / "acct/account.ini"; }
    // Runs the dialog as the library's export does; `user` acts once it is up.
    void Run(std::vector<std::int32_t> groups, std::function<void(QWidget*)> user) {
        QtQuestions boxes;
        QtDialogServices services(boxes);
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->objectName(), "TFormGroup");
            user(dialog);
            if (dialog->isVisible()) Find<QPushButton>(dialog, "ButtonCancel")->click();
        });
        EditGroupProperty(Account(), std::move(groups), services, ShowGroupDialog);
    }
    // The group settings file with its random identity masked.
    std::string GroupFile(const std::string& name) const {
        return std::regex_replace(dir_.Read("acct/BBS/" + name + "/drwa_BBS.ini"),
                                  std::regex("GUID=[0-9A-F-]{36}"), "GUID=<guid>");
    }
    TempFolder dir_;
};

TEST_F(GroupDialogView, NewGroupTypedInChosenPluginPagesFilledThenRenamed) {
    QString question;
    Run({}, [&](QWidget* d) {
        Screenshot(d, "new-group");
        QTest::keyClicks(Find<QLineEdit>(d, "EditKeijibanName"), expected::kNewGroupName.data());
        QTest::mouseClick(Find<QPushButton>(d, "ButtonMakeFolder"), Qt::LeftButton);
        EXPECT_FALSE(Find<QLineEdit>(d, "EditKeijibanName")->isVisible());
        EXPECT_EQ(Find<QComboBox>(d, "ComboBoxKeijibanName")->currentText(), "BOARD");
        EXPECT_EQ(Find<QComboBox>(d, "ComboBoxPluginName")->currentText(), "TEXTBOARD");
        EXPECT_EQ(Find<QLabel>(d, "LabelPluginVersion")->text(),
                  U(expected::kPluginVersion.data()));
        EXPECT_EQ(Find<QLabel>(d, "LabelPluginSakusya")->text(), U(expected::kPluginAuthor.data()));
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxJunkai"), Qt::LeftButton, {}, {6, 6});
        Screenshot(d, "page1-basic");

        auto* pages = Find<QTabWidget>(d, "PageControl1");
        ClickTab(pages, 1);
        EXPECT_EQ(Find<QLabel>(d, "LabelJunkai9")->text(), "");
        EXPECT_FALSE(Find<QLineEdit>(d, "EditJunkai9")->isEnabled());
        QTest::keyClicks(Find<QLineEdit>(d, "EditJunkai1"), expected::kAddress.data());
        TypeJapanese(Find<QLineEdit>(d, "EditJunkai3"), expected::kPosterName.data());
        QTest::keyClicks(Find<QLineEdit>(d, "EditJunkai4"), expected::kMail.data());
        Screenshot(d, "page2-patrol");

        ClickTab(pages, 2);
        auto* interval = Find<QWidget>(d, "FrameEditNum2");
        QTest::mouseClick(Find<QLabel>(interval, "Label"), Qt::LeftButton);
        QTest::keyClicks(Find<QLineEdit>(interval, "Edit"), "8x00");  // "x" is not let through
        QTest::keyClick(Find<QLineEdit>(interval, "Edit"), Qt::Key_Return);
        EXPECT_EQ(Find<QLabel>(interval, "Label")->text(), U(expected::kIntervalLabel.data()));
        auto* charset = Find<QComboBox>(d, "ComboBoxCharSet");
        charset->setCurrentIndex(1);
        emit charset->activated(1);
        Screenshot(d, "page3-detail");

        ClickTab(pages, 3);
        auto* inner = Find<QTabWidget>(d, "PageControl2");
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxHikitugiSubject"), Qt::LeftButton, {},
                          {6, 6});
        auto* subject = Find<QWidget>(d, "TFrameSubjectFrame1");
        EXPECT_TRUE(subject->isVisible());
        QTest::mouseClick(Find<QRadioButton>(subject, "RadioButton2"), Qt::LeftButton, {}, {6, 6});
        auto* digits = Find<QSpinBox>(subject, "SpinEditKeta");
        digits->setValue(3);
        EXPECT_EQ(Find<QLabel>(subject, "LabelSample")->text(), U(expected::kSubjectSample.data()));
        Screenshot(d, "page4-subject");
        ClickTab(inner, 1);
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxHikitugiBBSTitle"), Qt::LeftButton, {},
                          {6, 6});
        auto* title = Find<QWidget>(d, "TFrameBBSTitleFrame1");
        QTest::mouseClick(Find<QRadioButton>(title, "RadioButton3"), Qt::LeftButton, {}, {6, 6});
        EXPECT_EQ(Find<QLabel>(title, "LabelSample")->text(), U(expected::kTitleSample.data()));
        Screenshot(d, "page4-bbstitle");
        ClickTab(inner, 2);
        Find<QSpinBox>(d, "SpinEditThreadNumber")->setValue(2);
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxSaveNumber"), Qt::LeftButton, {}, {6, 6});
        Screenshot(d, "page4-other");

        QTest::keyClicks(Find<QLineEdit>(d, "EditNameHenko"), expected::kRenamedTo.data());
        AnswerNextBox(QMessageBox::No, &question, "box-rename-question");
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());  // No keeps the dialog open
        AnswerNextBox(QMessageBox::Yes, nullptr);
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
    });

    EXPECT_EQ(question, U(expected::kRenameQuestion.data()));
    EXPECT_FALSE(dir_.Exists("acct/BBS/BOARD"));
    EXPECT_EQ(GroupFile("NEWS"), Sjis(expected::kNewGroupFile.data()));
    EXPECT_EQ(dir_.Read("acct/BBS/NEWS/sign.ini"), "");
    const config::IniFile account(Account());
    EXPECT_EQ(account.ReadInteger("PLUGIN", "GROUP_COUNT", 0), 1);
    EXPECT_EQ(account.ReadString("00001", "FOLDER_NAME", ""), "NEWS");
}

TEST_F(GroupDialogView, CancelWritesNothingAndNamesAreCheckedInABox) {
    const std::string stored(expected::kKeptGroupFile);
    dir_.Write("acct/BBS/KEPT/drwa_BBS.ini", stored);
    dir_.Write("acct/account.ini",
               dir_.Read("acct/account.ini") + "GROUP_COUNT=1\r\n[00001]\r\nFOLDER_NAME=KEPT\r\n");
    Run({0}, [&](QWidget* d) {
        EXPECT_FALSE(Find<QLineEdit>(d, "EditKeijibanName")->isVisible());
        EXPECT_TRUE(Find<QLineEdit>(d, "EditNameHenko")->isEnabled());
        ClickTab(Find<QTabWidget>(d, "PageControl1"), 1);
        auto* url = Find<QLineEdit>(d, "EditJunkai1");
        EXPECT_EQ(url->text(), "http://kept/");
        QTest::keyClicks(url, "changed");
        // A character Shift_JIS lacks is refused: in a message box on a
        // screen, on the terminal where no user sees one; the box keeps its
        // text.
        if (!platform::IsHeadlessQtPlatform(QGuiApplication::platformName().toStdString()))
            AnswerNextBox(QMessageBox::Ok, nullptr);
        TypeJapanese(url, "😀");
        EXPECT_EQ(url->text(), "http://kept/changed");
        QTest::mouseClick(Find<QPushButton>(d, "ButtonCancel"), Qt::LeftButton);
    });
    // Leaving the first page writes the plugin choice, which was stored
    // already; the typed address is gone with Cancel.
    EXPECT_EQ(dir_.Read("acct/BBS/KEPT/drwa_BBS.ini").substr(0, stored.size()), stored);

    QString error;
    Run({}, [&](QWidget* d) {
        QTest::keyClicks(Find<QLineEdit>(d, "EditKeijibanName"), expected::kBlankInName.data());
        AnswerNextBox(QMessageBox::Ok, &error);
        QTest::mouseClick(Find<QPushButton>(d, "ButtonMakeFolder"), Qt::LeftButton);
        EXPECT_TRUE(Find<QLineEdit>(d, "EditKeijibanName")->isVisible());
        EXPECT_FALSE(Find<QPushButton>(d, "ButtonOK")->isEnabled());
    });
    EXPECT_EQ(error, U(expected::kBlankInNameError.data()));
}

}  // namespace
}  // namespace drwa::dialogs::qt
