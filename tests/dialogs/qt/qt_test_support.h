// What the Qt view tests share: the application on the offscreen platform,
// a question service that records instead of asking, a way to act on the
// next modal dialog once it is up, and to type a path into a file dialog.
#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_text.h"
#include "platform/question.h"

namespace drwa::testing {

// Messages are kept in UTF-8, for comparing with the tests' literals.
class RecordingQuestions final : public platform::QuestionService {
  public:
    platform::Answer AskOkCancel(std::string_view) override { return platform::Answer::kCancel; }
    bool AskYesNo(std::string_view) override { return false; }
    void ShowError(std::string_view text) override { errors.push_back(Shown(text)); }
    void ShowInformation(std::string_view text) override { errors.push_back(Shown(text)); }

    std::vector<std::string> errors;

  private:
    static std::string Shown(std::string_view cp932) {
        return dialogs::qt::ToQString(cp932).toStdString();
    }
};

// Runs `act` on the next modal dialog of type T as soon as it shows, from
// inside its event loop.
template <class T>
void WhenModalShows(std::function<void(T&)> act, int tries = 200) {
    QTimer::singleShot(10, [act, tries] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            act(*dialog);
        } else if (tries > 0) {
            WhenModalShows<T>(act, tries - 1);
        }
    });
}

// Types `text` key by key. QTest::keyClicks knows only ASCII keys; other
// characters come as a key that carries the character.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(widget, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
}

// The path typed into the file dialog's name box, once the dialog has read
// the folder as a user would see it: typing selects in its list.
inline void TypeFileName(QFileDialog& dialog, const std::string& path) {
    const QString file = QString::fromStdString(path);
    auto* listing = dialog.findChild<QFileSystemModel*>();
    auto* name = dialog.findChild<QLineEdit*>("fileNameEdit");
    ASSERT_TRUE(listing && name);
    dialog.setDirectory(QFileInfo(file).absolutePath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return listing->index(file).isValid(); }));
    // Typed with the focus in the box, the name replaces the earlier choice.
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    name->setFocus();
    name->setText(file);
}

inline QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

}  // namespace drwa::testing
