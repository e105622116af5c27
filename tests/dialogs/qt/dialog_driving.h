// How the dialog tests drive the real widgets: find a control by its name,
// click a tab, answer the next message box, type Japanese, and save a page as
// a screenshot when DRWA_SCREENSHOTS names a folder.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QDir>
#include <QInputMethodEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <string>

#include "platform/charset_edge.h"
#include "qt_test_support.h"

namespace drwa::dialogs::qt {

using drwa::testing::U;

// Texts in this file are UTF-8 (Qt's headers keep it from being compiled to
// CP932); the files on disk are CP932.
inline std::string Sjis(const char* utf8) {
    return platform::Utf8ToCp932(utf8);
}

template <typename W>
W* Find(QWidget* root, const char* name) {
    W* w = root->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

inline void Screenshot(QWidget* dialog, const char* name) {
    const QByteArray folder = qgetenv("DRWA_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QApplication::processEvents();
    dialog->grab().save(QDir(QString::fromLocal8Bit(folder)).filePath(name) + ".png");
}

// Japanese comes through an input method: its committed text, as one event.
inline void TypeJapanese(QWidget* edit, const char* utf8) {
    QInputMethodEvent event;
    event.setCommitString(U(utf8));
    QApplication::sendEvent(edit, &event);
}

// Clicks a tab as a user does: on the tab bar, not by setting the index.
inline void ClickTab(QTabWidget* tabs, int index) {
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

// The next message box that opens is answered with `button`; its text is
// kept in `text`, its picture saved as `screenshot` (when screenshots are
// taken).
inline void AnswerNextBox(QMessageBox::StandardButton button, QString* text,
                          const char* screenshot = nullptr) {
    QTimer::singleShot(0, [button, text, screenshot] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        if (text) *text = box->text();
        if (screenshot) Screenshot(box, screenshot);
        box->button(button)->click();
    });
}

}  // namespace drwa::dialogs::qt
