// Answers piped in on standard input are read from there whatever screen is at
// hand: a script put them there. Otherwise the user is asked in message boxes,
// which on a desktop without a screen fall back to the terminal themselves.
#include "plugin/screen_questions.h"

#include "plugin/screen_views.h"

namespace drwa::plugin {

ScreenQuestions::ScreenQuestions(DrwaWindow owner) {
    if (platform::AnswersComeFromStandardInput()) {
        service_ = &platform::UserQuestions();
    } else {
        owned_ = MessageBoxes(owner);
        service_ = owned_.get();
    }
}

}  // namespace drwa::plugin
