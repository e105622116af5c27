// Where the exports put their questions: message boxes owned by the host's
// window for a user at the screen, the terminal for scripts.
#pragma once

#include <memory>

#include "drwa_plugin.h"
#include "platform/question.h"

namespace drwa::plugin {

// The service for one export call; `owner` owns every box it shows, and
// nothing of it outlives the call.
class ScreenQuestions {
  public:
    explicit ScreenQuestions(DrwaWindow owner);
    ScreenQuestions(const ScreenQuestions&) = delete;
    ScreenQuestions& operator=(const ScreenQuestions&) = delete;
    platform::QuestionService& service() { return *service_; }

  private:
    std::unique_ptr<platform::QuestionService> owned_;
    platform::QuestionService* service_ = nullptr;
};

}  // namespace drwa::plugin
