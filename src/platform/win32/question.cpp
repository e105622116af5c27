// The user's questions on Windows: message boxes owned by the host's window,
// and the terminal form for a console program (its input and output are the
// C runtime's descriptors, reached through their system handles).
#include <io.h>
#include <windows.h>

#include <string>

#include "common/identity.h"
#include "platform/charset_edge.h"
#include "platform/question.h"
#include "platform/terminal_answer.h"
#include "platform/win32/wide_text.h"

namespace drwa::platform {
namespace {

// The text as the box shows it; bytes that do not read as CP932 are shown as
// the system's replacement rather than the question not being asked at all.
std::wstring ShownText(std::string_view cp932) {
    if (auto wide = win32::TryCp932ToWide(cp932)) return *std::move(wide);
    const int n = static_cast<int>(cp932.size());
    const int size = ::MultiByteToWideChar(932, 0, cp932.data(), n, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(std::max(size, 0)), L'\0');
    if (size > 0) ::MultiByteToWideChar(932, 0, cp932.data(), n, out.data(), size);
    return out;
}

class WindowBoxes final : public QuestionService {
  public:
    explicit WindowBoxes(HWND owner) : owner_(owner), caption_(ShownText(kLibraryName)) {}
    Answer AskOkCancel(std::string_view text) override {
        return Show(text, MB_OKCANCEL | MB_ICONQUESTION) == IDOK ? Answer::kOk : Answer::kCancel;
    }
    bool AskYesNo(std::string_view text) override {
        return Show(text, MB_YESNO | MB_ICONQUESTION) == IDYES;
    }
    void ShowError(std::string_view text) override { Show(text, MB_OK | MB_ICONERROR); }
    void ShowInformation(std::string_view text) override { Show(text, MB_OK | MB_ICONINFORMATION); }

  private:
    // Without a desktop the box is not shown and the answer is 0 or -1, not
    // IDCANCEL: callers only ever compare with the yes answers.
    int Show(std::string_view text, UINT type) {
        return ::MessageBoxW(owner_, ShownText(text).c_str(), caption_.c_str(), type);
    }
    HWND owner_;
    std::wstring caption_;
};

HANDLE SystemHandle(int fd) {
    return reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
}

bool IsConsole(HANDLE h) {
    DWORD mode = 0;
    return ::GetConsoleMode(h, &mode) != 0;
}

}  // namespace

// The answer line is read one byte at a time so that nothing after it is taken
// from the input: the host may read the rest itself. A console delivers the
// line the user typed in the console's code page.
std::string ReadAnswerLine(int fd) {
    constexpr std::size_t kKept = 64;  // an answer is a word; the rest is dropped
    HANDLE in = SystemHandle(fd);
    std::string line;
    for (;;) {
        char c;
        DWORD got = 0;
        if (in == INVALID_HANDLE_VALUE || !::ReadFile(in, &c, 1, &got, nullptr) || got == 0) break;
        if (c == '\n') break;
        if (line.size() < kKept) line += c;
    }
    return line;
}

// A console gets the text as UTF-16, whatever its code page; a pipe or file
// gets UTF-8, as on the other platforms, so that scripts read the same bytes.
void WriteText(int fd, std::string_view cp932) {
    HANDLE out = SystemHandle(fd);
    if (out == INVALID_HANDLE_VALUE) return;
    DWORD done = 0;
    if (IsConsole(out)) {
        const std::wstring wide = ShownText(cp932);
        ::WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
        return;
    }
    const std::string bytes = TryCp932ToUtf8(cp932).value_or(std::string(cp932));
    std::string_view rest = bytes;
    while (!rest.empty()) {
        // A closed output: the answer decides alone.
        if (!::WriteFile(out, rest.data(), static_cast<DWORD>(rest.size()), &done, nullptr) ||
            done == 0)
            return;
        rest.remove_prefix(done);
    }
}

bool InputEchoes(int fd) {
    return IsConsole(SystemHandle(fd));
}

bool AnswersComeFromStandardInput() {
    const DWORD type = ::GetFileType(::GetStdHandle(STD_INPUT_HANDLE));
    return type == FILE_TYPE_PIPE || type == FILE_TYPE_DISK;
}

QuestionService& UserQuestions() {
    static TerminalQuestions terminal(0, 2);
    return terminal;
}

std::unique_ptr<QuestionService> WindowQuestions(void* owner_window) {
    return std::make_unique<WindowBoxes>(static_cast<HWND>(owner_window));
}

}  // namespace drwa::platform
