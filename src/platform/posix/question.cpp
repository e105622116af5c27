#include "platform/question.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/charset_edge.h"
#include "platform/posix/unique_fd.h"
#include "platform/terminal_answer.h"

namespace drwa::platform {

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

// The text in UTF-8; bytes that do not read as CP932 are shown as they are
// rather than not at all.
void WriteText(int fd, std::string_view cp932) {
    WriteAll(fd, TryCp932ToUtf8(cp932).value_or(std::string(cp932)));
}

bool InputEchoes(int fd) {
    return ::isatty(fd) != 0;
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
