// The account settings dialog driven as a user drives it, offscreen: the
// defaults it shows, the proxy items, the OK checks answered in real message
// boxes, and section PLUGIN checked byte for byte afterwards.
#include <gtest/gtest.h>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <cstdlib>
#include <functional>
#include <string>

#include "dialog_driving.h"
#include "dialogs/account_dialog.h"
#include "dialogs/account_dialog_expectations.h"
#include "dialogs/qt/account_dialog_view.h"
#include "dialogs/qt/group_dialog_view.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "support/temp_folder.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::TempFolder;
namespace expected = drwa::dialogs::expected;

// Proxy item n (1-based) of the radio group "プロキシの設定".
QRadioButton* ProxyItem(QWidget* d, int n) {
    return Find<QRadioButton>(Find<QWidget>(d, "GroupBoxRadioGroup1"),
                              QStringLiteral("RadioButton%1").arg(n).toLatin1().constData());
}

class AccountDialogView : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApplication();
        ::unsetenv("http_proxy");
        ::unsetenv("HTTP_PROXY");
    }
    void TearDown() override { ::unsetenv("http_proxy"); }
    std::string Account() const { return dir_ / "account.ini"; }
    void Run(std::function<void(QWidget*)> user) {
        QtQuestions boxes;
        QtDialogServices services(boxes);
        QTimer::singleShot(0, [&] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            ASSERT_EQ(dialog->objectName(), "TFormAccount");
            user(dialog);
            if (dialog->isVisible()) Find<QPushButton>(dialog, "ButtonCancel")->click();
        });
        EditAccount(Account(), services, ShowAccountDialog);
    }
    TempFolder dir_;
};

TEST_F(AccountDialogView, EmptyAccountShowsTheDefaultsAndCancelOnlyRebuilds) {
    dir_.Write("account.ini", "");
    Run([&](QWidget* d) {
        Screenshot(d, "account-basic");
        EXPECT_EQ(Find<QLineEdit>(d, "EditDRWAPluginFolder")->text(), "");
        EXPECT_EQ(Find<QLineEdit>(d, "EditPerlFolder")->text(), "perl.exe");
        EXPECT_EQ(Find<QLineEdit>(d, "EditRubyFolder")->text(), "ruby.exe");
        EXPECT_TRUE(ProxyItem(d, 1)->isChecked());
        EXPECT_FALSE(Find<QLineEdit>(d, "EditProxy")->isEnabled());
        EXPECT_EQ(Find<QLabel>(d, "LabelVersion")->text(), U("DRWAプラグインプラグイン Ver.0.9β"));
        ClickTab(Find<QTabWidget>(d, "PageControl1"), 1);
        EXPECT_EQ(Find<QSpinBox>(d, "SpinEditTimeOut")->value(), 0);
        EXPECT_EQ(Find<QSpinBox>(d, "SpinEditTimeOut2")->value(), 120);
        EXPECT_EQ(Find<QSpinBox>(d, "SpinEditThreadCount")->value(), 1);
        EXPECT_FALSE(Find<QCheckBox>(d, "CheckBoxAbortTransLog")->isChecked());
        Screenshot(d, "account-other");
        ClickTab(Find<QTabWidget>(d, "PageControl1"), 2);
        Screenshot(d, "account-subject");
        ClickTab(Find<QTabWidget>(d, "PageControl1"), 3);
        Screenshot(d, "account-bbstitle");
        QTest::keyClicks(Find<QLineEdit>(d, "EditPerlFolder"), "typed");
    });
    EXPECT_EQ(dir_.Read("account.ini"), expected::kCancelledEmptyAccount);
}

TEST_F(AccountDialogView, SystemProxyIsShownAndItsStoredValuesKept) {
    ::setenv("http_proxy", "http://proxy.example:3128/", 1);
    dir_.Write("account.ini", expected::kStoredSystemProxy);
    Run([&](QWidget* d) {
        EXPECT_TRUE(ProxyItem(d, 3)->isChecked());
        EXPECT_EQ(Find<QLineEdit>(d, "EditProxy")->text(), "proxy.example");
        EXPECT_EQ(Find<QLineEdit>(d, "EditProxyPort")->text(), "3128");
        EXPECT_FALSE(Find<QLineEdit>(d, "EditProxyPort")->isEnabled());
        // Item 1 enables the fields at once, item 2 disables them again.
        QTest::mouseClick(ProxyItem(d, 2), Qt::LeftButton, {}, {6, 6});
        EXPECT_TRUE(Find<QLineEdit>(d, "EditProxyPort")->isEnabled());
        QTest::mouseClick(ProxyItem(d, 3), Qt::LeftButton, {}, {6, 6});
        EXPECT_FALSE(Find<QLineEdit>(d, "EditProxy")->isEnabled());
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
    });
    const config::IniFile account(Account());
    EXPECT_EQ(account.ReadString("PLUGIN", "PROXY_SETTING", ""), "2");
    EXPECT_EQ(account.ReadString("PLUGIN", "PROXY_HOST", ""), "old.example");
    EXPECT_EQ(account.ReadString("PLUGIN", "PROXY_PORT", ""), "8000");
}

TEST_F(AccountDialogView, OkChecksPortAndThreadCountThenWritesSectionPlugin) {
    dir_.Write("account.ini", "");
    std::vector<QString> messages;
    Run([&](QWidget* d) {
        QTest::mouseClick(ProxyItem(d, 2), Qt::LeftButton, {}, {6, 6});
        auto* host = Find<QLineEdit>(d, "EditProxy");
        auto* port = Find<QLineEdit>(d, "EditProxyPort");
        QTest::keyClicks(host, "proxy.lan");
        for (const char* bad : {"0", "70000", "abc"}) {
            port->clear();
            QTest::keyClicks(port, bad);
            messages.emplace_back();
            AnswerNextBox(QMessageBox::Ok, &messages.back(),
                          bad[0] == '0' ? "box-bad-port" : nullptr);
            QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
            EXPECT_TRUE(d->isVisible()) << bad;
            EXPECT_EQ(d->focusWidget(), port) << bad;
        }
        port->clear();
        QTest::keyClicks(port, "8080");

        ClickTab(Find<QTabWidget>(d, "PageControl1"), 1);
        auto* threads = Find<QSpinBox>(d, "SpinEditThreadCount");
        threads->selectAll();
        QTest::keyClicks(threads, "5");
        messages.emplace_back();
        AnswerNextBox(QMessageBox::Ok, &messages.back());
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_TRUE(d->isVisible());
        threads->selectAll();
        QTest::keyClicks(threads, "3");
        auto* timeout = Find<QSpinBox>(d, "SpinEditTimeOut");
        timeout->selectAll();
        QTest::keyClicks(timeout, "30");
        QTest::mouseClick(Find<QCheckBox>(d, "CheckBoxAbortTransLog"), Qt::LeftButton, {}, {6, 6});
        QTest::mouseClick(Find<QPushButton>(d, "ButtonOK"), Qt::LeftButton);
        EXPECT_FALSE(d->isVisible());
    });
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], U(expected::kBadPort.data()));
    EXPECT_EQ(messages[1], U(expected::kBadPort.data()));
    EXPECT_EQ(messages[2], U(expected::kPortNotANumber.data()));
    EXPECT_EQ(messages[3], U(expected::kBadThreadCount.data()));
    EXPECT_EQ(dir_.Read("account.ini"), expected::kDrivenOkAccount);
}

}  // namespace
}  // namespace drwa::dialogs::qt
