// On Windows the questions are message boxes owned by the host's window; a
// console host whose standard input a script fills gets them there instead.
#include "plugin/screen_questions.h"

namespace drwa::plugin {

ScreenQuestions::ScreenQuestions(DrwaWindow owner) {
    if (platform::AnswersComeFromStandardInput()) {
        service_ = &platform::UserQuestions();
    } else {
        owned_ = platform::WindowQuestions(owner);
        service_ = owned_.get();
    }
}

}  // namespace drwa::plugin
