// The library's questions and messages as Qt message boxes.
#pragma once

#include <QPointer>
#include <QWidget>
#include <string_view>

#include "platform/question.h"

namespace drwa::dialogs::qt {

// Each call makes sure the application object exists (EnsureApplication) and
// shows a modal box over `parent` (none: over no window), captioned with the
// application's name. Closing a question unanswered is the safe answer,
// Cancel or No, which is also the default button.
class QtQuestions final : public platform::QuestionService {
  public:
    explicit QtQuestions(QWidget* parent = nullptr) : parent_(parent) {}
    platform::Answer AskOkCancel(std::string_view text) override;
    bool AskYesNo(std::string_view text) override;
    void ShowError(std::string_view text) override;
    void ShowInformation(std::string_view text) override;

  private:
    QPointer<QWidget> parent_;
};

// Where a view reports what it refused: `injected` when given (tests answer
// for the user), else a message box over `over` when a user sees the screen,
// else standard error.
void ShowErrorOver(QWidget* over, std::string_view text, platform::QuestionService* injected);

}  // namespace drwa::dialogs::qt
