// The questions on a terminal, the same on every platform over the few
// pieces each platform provides (terminal_answer.h).
#include <string>

#include "platform/question.h"
#include "platform/terminal_answer.h"

namespace drwa::platform {
namespace {

bool AskYes(int in_fd, int out_fd, std::string_view text, std::string_view choices) {
    WriteText(out_fd, std::string(text) + "\n" + std::string(choices));
    const std::string answer = ReadAnswerLine(in_fd);
    // A terminal echoes the answer and its line break; piped input does not,
    // and what we print next would follow the prompt on its line.
    if (!InputEchoes(in_fd)) WriteText(out_fd, "\n");
    return IsYesAnswer(answer);
}

}  // namespace

Answer TerminalQuestions::AskOkCancel(std::string_view text) {
    return AskYes(in_fd_, out_fd_, text, "(y: OK / それ以外: キャンセル) ") ? Answer::kOk
                                                                            : Answer::kCancel;
}

bool TerminalQuestions::AskYesNo(std::string_view text) {
    return AskYes(in_fd_, out_fd_, text, "(y: はい / それ以外: いいえ) ");
}

void TerminalQuestions::ShowError(std::string_view text) {
    WriteText(out_fd_, std::string(text) + "\n");
}

void TerminalQuestions::ShowInformation(std::string_view text) {
    WriteText(out_fd_, std::string(text) + "\n");
}

}  // namespace drwa::platform
