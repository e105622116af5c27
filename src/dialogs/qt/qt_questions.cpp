#include "dialogs/qt/qt_questions.h"

#include <QMessageBox>

#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_text.h"

namespace drwa::dialogs::qt {
namespace {

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, std::string_view text,
                                 QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton safe) {
    EnsureApplication();
    QMessageBox box(icon, QStringLiteral("drwa"), ToQString(text), buttons, parent);
    box.setDefaultButton(safe);
    box.setEscapeButton(safe);
    const int chosen = box.exec();
    return static_cast<QMessageBox::StandardButton>(chosen);
}

}  // namespace

platform::Answer QtQuestions::AskOkCancel(std::string_view text) {
    return Show(parent_, QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel,
                QMessageBox::Cancel) == QMessageBox::Ok
               ? platform::Answer::kOk
               : platform::Answer::kCancel;
}

bool QtQuestions::AskYesNo(std::string_view text) {
    return Show(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
                QMessageBox::No) == QMessageBox::Yes;
}

void QtQuestions::ShowError(std::string_view text) {
    Show(parent_, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtQuestions::ShowInformation(std::string_view text) {
    Show(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void ShowErrorOver(QWidget* over, std::string_view text, platform::QuestionService* injected) {
    if (injected) {
        injected->ShowError(text);
    } else if (ScreenUserSees()) {
        QtQuestions(over).ShowError(text);
    } else {
        platform::UserQuestions().ShowError(text);
    }
}

}  // namespace drwa::dialogs::qt
