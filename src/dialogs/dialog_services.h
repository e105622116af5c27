// What a dialog's behaviour asks of the window system around it: message
// boxes, the file-open dialog, the desktop's opener. The views supply them;
// tests answer for the user.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drwa::dialogs {

class DialogServices {
  public:
    virtual ~DialogServices() = default;
    // Texts are CP932, lines separated by "\n".
    virtual void ShowError(std::string_view text) = 0;
    virtual void ShowInformation(std::string_view text) = 0;
    // A confirmation with Yes and No; true for Yes.
    virtual bool AskYesNo(std::string_view text) = 0;
    // A file-open dialog with multiple selection. `filter` lists description
    // and pattern pairs separated by "|". The chosen files' full paths, none
    // when the user cancelled.
    virtual std::vector<std::string> ChooseFilesToOpen(std::string_view title,
                                                       std::string_view filter) = 0;
    // Hands a file to the desktop's default handler; false when that could
    // not be started.
    virtual bool OpenWithDefaultHandler(std::string_view path) = 0;
};

}  // namespace drwa::dialogs
