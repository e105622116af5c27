// Questions the library puts to the user (OK or Cancel, Yes or No) and the
// messages it shows.
//
// Callers take the service as an interface so that a dialog-based one can take
// the terminal's place and tests can answer without a user.
#pragma once

#include <memory>
#include <string_view>

namespace drwa::platform {

enum class Answer { kOk, kCancel };

class QuestionService {
  public:
    virtual ~QuestionService() = default;
    // `text` is CP932, its lines separated by "\n".
    virtual Answer AskOkCancel(std::string_view text) = 0;
    // True for Yes; closing the question unanswered is No.
    virtual bool AskYesNo(std::string_view text) = 0;
    virtual void ShowError(std::string_view text) = 0;
    virtual void ShowInformation(std::string_view text) = 0;
};

// The question on `out_fd` (converted to UTF-8), the answer one line read from
// `in_fd`: "y" or "yes" in any case is OK (Yes); anything else, the end of the
// input and a read error are Cancel (No), the safe answer. Messages go to
// `out_fd` as well.
class TerminalQuestions final : public QuestionService {
  public:
    TerminalQuestions(int in_fd, int out_fd) : in_fd_(in_fd), out_fd_(out_fd) {}
    Answer AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ShowInformation(std::string_view text) override;

  private:
    int in_fd_;
    int out_fd_;
};

// The service of this process: standard input and standard error.
QuestionService& UserQuestions();

#ifdef _WIN32
// Message boxes owned by `owner_window` (the host's window handle; null: no
// owner), captioned with the library's name. Only OK and Yes count as yes:
// a box that could not be shown is Cancel (No).
std::unique_ptr<QuestionService> WindowQuestions(void* owner_window);
#endif

// True when standard input is a pipe or a file: a script has put its answers
// there (`echo y | drwa-host ... delete 2`), so they are read from it even
// where message boxes could be shown.
bool AnswersComeFromStandardInput();

}  // namespace drwa::platform
