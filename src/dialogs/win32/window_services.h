// What a dialog's behaviour asks of Windows: message boxes owned by the window
// in front (the host's, then the dialog's own while it is shown), the common
// file and folder choosers, and the shell's opener.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dialogs/dialog_services.h"

namespace drwa::dialogs::win32 {

class WindowDialogServices final : public DialogServices {
  public:
    explicit WindowDialogServices(HWND owner);
    // Boxes shown from now on are owned by `owner`; modal to it, they keep the
    // user from the dialog until answered.
    void SetOwner(HWND owner);
    HWND owner() const { return owner_; }

    platform::Answer AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ShowInformation(std::string_view text) override;
    std::vector<std::string> ChooseFilesToOpen(std::string_view title,
                                               std::string_view filter) override;
    bool OpenWithDefaultHandler(std::string_view path) override;

    // One file, the dialog opened on `current`; nothing when cancelled. A
    // chosen name without a CP932 form is refused with a message.
    std::optional<std::string> ChooseFileToOpen(std::string_view filter, std::string_view current);
    // A folder, starting at the desktop; nothing when cancelled or refused.
    std::optional<std::string> ChooseFolder(std::string_view title);
    // A colour (a Windows colour value), the chooser opened on `initial`;
    // nothing when cancelled. The user's custom colours stay for the next.
    std::optional<COLORREF> ChooseColour(COLORREF initial);

  private:
    std::vector<std::string> OpenFiles(std::string_view title, std::string_view filter,
                                       std::string_view current, bool many);
    std::optional<std::string> Cp932Name(std::wstring_view wide);

    HWND owner_;
    std::unique_ptr<platform::QuestionService> boxes_;
    std::array<COLORREF, 16> custom_colours_{};
};

// Takes what was typed into `edit` as `field`: a character CP932 lacks is
// refused, the box shows `field` again (what will be saved) and the user is
// told why. False when refused.
bool TakeTypedText(HWND edit, std::string& field, WindowDialogServices& services);

}  // namespace drwa::dialogs::win32
