#include "platform/question.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/charset_edge.h"
#include "platform/terminal_answer.h"

namespace drwa::platform {
namespace {

// The answer line is read one byte at a time so that nothing after it is taken
// from the input: the host may read the rest itself.
std::string ReadAnswerLine(int fd) {
    constexpr std::size_t kKept = 64;  // an answer is a word; the rest is dropped
    std::string line;
    for (;;) {
        char c;
        ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        if (line.size() < kKept) line += c;
    }
    return line;
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // a closed terminal: the answer decides alone
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

// The text in UTF-8; bytes that do not read as CP932 are shown as they are
// rather than not at all.
void WriteText(int fd, std::string_view cp932) {
    WriteAll(fd, TryCp932ToUtf8(cp932).value_or(std::string(cp932)));
}

bool AskYes(int in_fd, int out_fd, std::string_view text, std::string_view choices) {
    WriteText(out_fd, std::string(text) + "\n" + std::string(choices));
    const std::string answer = ReadAnswerLine(in_fd);
    // A terminal echoes the answer and its line break; piped input does not,
    // and what we print next would follow the prompt on its line.
    if (!::isatty(in_fd)) WriteAll(out_fd, "\n");
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

bool AnswersComeFromStandardInput() {
    struct stat st;
    if (::fstat(STDIN_FILENO, &st) != 0) return false;
    return S_ISFIFO(st.st_mode) || S_ISREG(st.st_mode);
}

QuestionService& UserQuestions() {
    static TerminalQuestions terminal(STDIN_FILENO, STDERR_FILENO);
    return terminal;
}

}  // namespace drwa::platform
