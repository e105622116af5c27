// On the desktops of the Linux build the questions go through the library's
// own Qt application, whose message boxes have no foreign owner window.
#include "dialogs/qt/qt_session.h"
#include "plugin/screen_questions.h"

namespace drwa::plugin {

ScreenQuestions::ScreenQuestions(DrwaWindow /*owner*/)
    : service_(&dialogs::qt::DialogQuestions()) {}

}  // namespace drwa::plugin
