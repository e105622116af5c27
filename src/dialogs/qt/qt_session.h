// The Qt application object the dialogs run in, and the questions the library
// asks outside a dialog.
#pragma once

// No Qt header here: the library's own code (compiled to CP932) includes this.
class QApplication;

#include "platform/question.h"

namespace drwa::dialogs::qt {

// The host's QApplication when it has one (never destroyed by us); otherwise
// the library's own, created on the first call on the platform plugin that
// can work here and kept for later calls. With no display at all, fails with
// drwa::Error before any Qt object exists: Qt would end the process instead.
QApplication& EnsureApplication();

// Message boxes when a screen a user sees is at hand and no answers are piped
// in on standard input; else the terminal (platform::UserQuestions()).
platform::QuestionService& DialogQuestions();

// Whether the application object (the current one, else the one
// EnsureApplication would create) draws where a user can see it.
bool ScreenUserSees();

}  // namespace drwa::dialogs::qt
