#include "platform/question.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/charset_edge.h"

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

bool IsYes(std::string_view answer) {
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' '))
        answer.remove_suffix(1);
    while (!answer.empty() && answer.front() == ' ') answer.remove_prefix(1);
    std::string lower(answer);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower == "y" || lower == "yes";
}

void WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // a closed terminal: the answer decides alone
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace

Answer TerminalQuestions::AskOkCancel(std::string_view text) {
    std::string prompt = std::string(text) + "\n(y: OK / それ以外: キャンセル) ";
    WriteAll(out_fd_, TryCp932ToUtf8(prompt).value_or(prompt));
    const std::string answer = ReadAnswerLine(in_fd_);
    // A terminal echoes the answer and its line break; piped input does not,
    // and what we print next would follow the prompt on its line.
    if (!::isatty(in_fd_)) WriteAll(out_fd_, "\n");
    return IsYes(answer) ? Answer::kOk : Answer::kCancel;
}

QuestionService& UserQuestions() {
    static TerminalQuestions terminal(STDIN_FILENO, STDERR_FILENO);
    return terminal;
}

}  // namespace drwa::platform
