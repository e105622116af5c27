#include "dialogs/qt/qt_session.h"

#include <QApplication>

#include <array>
#include <memory>
#include <string>

#include "common/error.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/view_texts.h"
#include "platform/display.h"
#include "platform/system.h"

namespace drwa::dialogs::qt {
namespace {

constexpr const char* kApplicationName = "drwa";

// The library's own application object with the arguments it was given: Qt
// keeps references to argc and argv for the object's whole life.
class OwnApplication {
  public:
    explicit OwnApplication(const std::string& platform)
        : args_{kApplicationName, "-platform", platform},
          argv_{args_[0].data(), args_[1].data(), args_[2].data(), nullptr} {
        app_ = std::make_unique<QApplication>(argc_, argv_.data());
        QApplication::setApplicationName(kApplicationName);
        // The host owns the process: closing our last dialog must not quit
        // an event loop someone else may run.
        QApplication::setQuitOnLastWindowClosed(false);
    }
    QApplication& app() { return *app_; }

  private:
    std::array<std::string, 3> args_;
    std::array<char*, 4> argv_;
    int argc_ = 3;
    std::unique_ptr<QApplication> app_;  // last: goes before what it refers to
};

}  // namespace

QApplication& EnsureApplication() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        if (auto* app = qobject_cast<QApplication*>(existing)) return *app;
        throw Error(texts::HostWithoutWidgets());
    }
    const platform::QtPlatformChoice choice = platform::ChooseQtPlatform();
    if (!choice.usable()) throw Error(texts::NoScreen(choice.problem));
    // Never destroyed: Qt makes more of its global state as widgets are used,
    // and tears it down at exit before any static of ours would go; an
    // application object destroyed after that crashes the process on its way
    // out. The process ends it, as it ends the host.
    static OwnApplication& own = *new OwnApplication(choice.name);
    // Nor may the library, closing this module as it is unloaded, take Qt's
    // code from under it.
    platform::KeepModuleLoaded();
    return own.app();
}

bool ScreenUserSees() {
    if (QCoreApplication* existing = QCoreApplication::instance()) {
        auto* gui = qobject_cast<QGuiApplication*>(existing);
        return gui &&
               !platform::IsHeadlessQtPlatform(QGuiApplication::platformName().toStdString());
    }
    return platform::ChooseQtPlatform().user_sees;
}

platform::QuestionService& DialogQuestions() {
    static QtQuestions boxes;
    if (!platform::AnswersComeFromStandardInput() && ScreenUserSees()) return boxes;
    return platform::UserQuestions();
}

}  // namespace drwa::dialogs::qt
