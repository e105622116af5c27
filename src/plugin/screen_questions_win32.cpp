// On Windows the questions are message boxes owned by the host's window.
#include "plugin/screen_questions.h"

namespace drwa::plugin {

platform::QuestionService& ScreenQuestions(DrwaWindow /*owner*/) {
    return platform::UserQuestions();
}

}  // namespace drwa::plugin
