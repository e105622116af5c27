// What a dialog's behaviour asks of the window system around it: the message
// boxes and questions every part of the library asks through, plus the
// file-open dialog and the desktop's opener. The views supply them; tests
// answer for the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/question.h"

namespace drwa::dialogs {

class DialogServices : public platform::QuestionService {
  public:
    // A file-open dialog with multiple selection. `filter` lists description
    // and pattern pairs separated by "|". The chosen files' full paths (CP932),
    // none when the user cancelled.
    virtual std::vector<std::string> ChooseFilesToOpen(std::string_view title,
                                                       std::string_view filter) = 0;
    // Hands a file to the desktop's default handler; false when that could
    // not be started.
    virtual bool OpenWithDefaultHandler(std::string_view path) = 0;
};

}  // namespace drwa::dialogs
