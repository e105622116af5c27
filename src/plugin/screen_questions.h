// Where the exports put their questions: message boxes owned by the host's
// window for a user at the screen, the terminal for scripts.
#pragma once

#include "drwa_plugin.h"
#include "platform/question.h"

namespace drwa::plugin {

// The service for one export call; `owner` owns every box it shows, and
// nothing of it outlives the call.
platform::QuestionService& ScreenQuestions(DrwaWindow owner);

}  // namespace drwa::plugin
