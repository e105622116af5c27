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
#include "dialogs/qt/group_dialog_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "platform/charset_edge.h"
#include "support/temp_folder.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::TempFolder;

class GroupDialogView : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApplication();
        dir_.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" DRWA_SOURCE_DIR
                                       "/plugins\r\nPERL_EXE=perl\r\nTHREAD_COUNT=2\r\n");
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
        QTest::keyClicks(Find<QLineEdit>(d, "EditKeijibanName"), "board");
        QTest::mouseClick(Find<QPushButton>(d, "ButtonMakeFolder"), Qt::LeftButton);
        EXPECT_FALSE(Find<QLineEdit>(d, "EditKeijibanName")->isVisible());
        EXPECT_EQ(Find<QComboBox>(d, "ComboBoxKeijibanName")->currentText(), "BOARD");
        EXPECT_EQ(Find<QComboBox>(d, "ComboBoxPluginName")->currentText(), "TEXTBOARD");
        EXPECT_EQ(Find<QLabel>(d, "LabelPluginVersion")->text(), U("バージョン：1.1"));
        EXPECT_EQ(Find<QLabel>(d, "LabelPluginSakusya")->text(), U("作者：drwa plugin developers"));
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxJunkai"), Qt::LeftButton, {}, {6, 6});
        Screenshot(d, "page1-basic");

        auto* pages = Find<QTabWidget>(d, "PageControl1");
        ClickTab(pages, 1);
        EXPECT_EQ(Find<QLabel>(d, "LabelJunkai9")->text(), "");
        EXPECT_FALSE(Find<QLineEdit>(d, "EditJunkai9")->isEnabled());
        QTest::keyClicks(Find<QLineEdit>(d, "EditJunkai1"), "http://127.0.0.1:8080/news/");
        TypeJapanese(Find<QLineEdit>(d, "EditJunkai3"), "名無し");
        QTest::keyClicks(Find<QLineEdit>(d, "EditJunkai4"), "sage");
        Screenshot(d, "page2-patrol");

        ClickTab(pages, 2);
        auto* interval = Find<QWidget>(d, "FrameEditNum2");
        QTest::mouseClick(Find<QLabel>(interval, "Label"), Qt::LeftButton);
        QTest::keyClicks(Find<QLineEdit>(interval, "Edit"), "8x00");  // "x" is not let through
        QTest::keyClick(Find<QLineEdit>(interval, "Edit"), Qt::Key_Return);
        EXPECT_EQ(Find<QLabel>(interval, "Label")->text(),
                  U("同じサーバーへの要求の間隔 ミリ秒(空欄:500) \"800\""));
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
        EXPECT_EQ(Find<QLabel>(subject, "LabelSample")->text(), U("[023]サブジェクト"));
        Screenshot(d, "page4-subject");
        ClickTab(inner, 1);
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxHikitugiBBSTitle"), Qt::LeftButton, {},
                          {6, 6});
        auto* title = Find<QWidget>(d, "TFrameBBSTitleFrame1");
        QTest::mouseClick(Find<QRadioButton>(title, "RadioButton3"), Qt::LeftButton, {}, {6, 6});
        EXPECT_EQ(Find<QLabel>(title, "LabelSample")->text(), U("TQNAVE(10 お試し掲示板B)"));
        Screenshot(d, "page4-bbstitle");
        ClickTab(inner, 2);
        Find<QSpinBox>(d, "SpinEditThreadNumber")->setValue(2);
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxSaveNumber"), Qt::LeftButton, {}, {6, 6});
        Screenshot(d, "page4-other");

        QTest::keyClicks(Find<QLineEdit>(d, "EditNameHenko"), "news");
        AnswerNextBox(QMessageBox::No, &question, "box-rename-question");
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());  // No keeps the dialog open
        AnswerNextBox(QMessageBox::Yes, nullptr);
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
    });

    EXPECT_EQ(question, U("掲示板名は NEWS に変更されます\nよろしいですか"));
    EXPECT_FALSE(dir_.Exists("acct/BBS/BOARD"));
    EXPECT_EQ(
        GroupFile("NEWS"),
        Sjis("[BASIC]\r\nBBSFOLDER=1\r\nGUID=<guid>\r\nLIB=TEXTBOARD\r\nLIB_TYPE=1\r\n"
             "CHARSET=EUC\r\nURL=http://127.0.0.1:8080/news/\r\nUPURL=\r\nNAME=名無し\r\n"
             "EMAIL=sage\r\nHP=\r\nKEY=\r\nPARAM1=\r\nPARAM2=\r\nUSER=\r\nPASS=\r\n"
             "INTERVAL_MS=800\r\nTIMEZONE=\r\nPOST_SUCCESS_TEXT=\r\n"
             "[DIALOG]\r\n"
             "URL=1\r\n_URL=板のアドレス(URL 例 http://host/board/)(&A):\r\n"
             "UPURL=1\r\n_UPURL=書き込み先 bbs.cgi (空欄なら板のアドレスから)(&W):\r\n"
             "NAME=1\r\n_NAME=名前(&N):\r\nEMAIL=1\r\n_EMAIL=メール欄(&M):\r\n"
             "PARAM1=1\r\n_PARAM1=読み込むスレッド数(空欄:すべて)(&P):\r\n"
             "PARAM2=1\r\n_PARAM2=既読件数(受信のたびに更新)(&D):\r\n"
             "L000=L,,受信\r\n"
             "L001=TD,INTERVAL_MS,同じサーバーへの要求の間隔 ミリ秒(空欄:500)\r\n"
             "L002=T,TIMEZONE,板の時刻の時差(空欄:+09:00 例 UTC, -05:00)\r\n"
             "L003=L,,書き込み\r\n"
             "L004=T,POST_SUCCESS_TEXT,書き込めたときの応答に含まれる文字列(空欄:確かめない)\r\n"
             "[OPTION]\r\nINH_SUB=0\r\nSUBJECT_INCLUDE_NUMBER=1\r\nSUBJECT_ZERO_NUMBER=3\r\n"
             "SUBJECT_FORMAT=[$N]$S\r\nINH_TITLE=0\r\nTITLE_INSERT=2\r\n"
             "TITLE_FORMAT=$G($T)\r\nTHREAD_NUMBER=2\r\nSAVE_NUMBER=1\r\n"));
    EXPECT_EQ(dir_.Read("acct/BBS/NEWS/sign.ini"), "");
    const config::IniFile account(Account());
    EXPECT_EQ(account.ReadInteger("PLUGIN", "GROUP_COUNT", 0), 1);
    EXPECT_EQ(account.ReadString("00001", "FOLDER_NAME", ""), "NEWS");
}

TEST_F(GroupDialogView, CancelWritesNothingAndNamesAreCheckedInABox) {
    const std::string stored =
        "[BASIC]\r\nGUID=00000000-0000-0000-0000-000000000001\r\nBBSFOLDER=1\r\n"
        "LIB=TEXTBOARD\r\nLIB_TYPE=1\r\nURL=http://kept/\r\n";
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
        // A character Shift_JIS lacks is refused (said on the terminal where no
        // user sees the screen, as here); the box keeps its text.
        TypeJapanese(url, "😀");
        EXPECT_EQ(url->text(), "http://kept/changed");
        QTest::mouseClick(Find<QPushButton>(d, "ButtonCancel"), Qt::LeftButton);
    });
    // Leaving the first page writes the plugin choice, which was stored
    // already; the typed address is gone with Cancel.
    EXPECT_EQ(dir_.Read("acct/BBS/KEPT/drwa_BBS.ini").substr(0, stored.size()), stored);

    QString error;
    Run({}, [&](QWidget* d) {
        QTest::keyClicks(Find<QLineEdit>(d, "EditKeijibanName"), "a b");
        AnswerNextBox(QMessageBox::Ok, &error);
        QTest::mouseClick(Find<QPushButton>(d, "ButtonMakeFolder"), Qt::LeftButton);
        EXPECT_TRUE(Find<QLineEdit>(d, "EditKeijibanName")->isVisible());
        EXPECT_FALSE(Find<QPushButton>(d, "ButtonOK")->isEnabled());
    });
    EXPECT_EQ(error, U("名前に' '(スペース)は使えません"));
}

}  // namespace
}  // namespace drwa::dialogs::qt
