// Questions the library puts to the user, with OK and Cancel.
//
// Callers take the service as an interface so that a dialog-based one can take
// the terminal's place and tests can answer without a user.
#pragma once

#include <string_view>

namespace drwa::platform {

enum class Answer { kOk, kCancel };

class QuestionService {
  public:
    virtual ~QuestionService() = default;
    // `text` is CP932, its lines separated by "\n".
    virtual Answer AskOkCancel(std::string_view text) = 0;
};

// The question on `out_fd` (converted to UTF-8), the answer one line read from
// `in_fd`: "y" or "yes" in any case is OK; anything else, the end of the input
// and a read error are Cancel, the safe answer.
class TerminalQuestions final : public QuestionService {
  public:
    TerminalQuestions(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {}
    Answer AskOkCancel(std::string_view text) override;

  private:
    int in_fd_;
    int out_fd_;
};

// The service of this process: standard input and standard error.
QuestionService& UserQuestions();

}  // namespace drwa::platform
