// The CP932 texts of the Qt views. The Qt sources are compiled with UTF-8
// literals (Qt's headers pull in <chrono>, whose "µs" has no CP932 form), so
// every text they show from the dialogs' behaviour or put into a drwa::Error
// comes from here, compiled as the core is. No Japanese literal in a Qt
// source, and none of the behaviour headers' text constants used there.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace drwa::dialogs::qt::texts {

struct PanelTexts {
    std::string_view radio_caption;
    std::span<const std::string_view> radio_items;
    std::string_view label_syoshiki;
    std::string_view sample_caption;
};
PanelTexts SubjectPanel();
PanelTexts TitlePanel();

// EnsureApplication without a display; `problem` says why (CP932).
std::string NoScreen(std::string_view problem);
// The host's application object cannot show widgets.
std::string HostWithoutWidgets();
// A number editor's text that does not read as a number.
std::string NotANumber(std::string_view text);
// Typed text with a character that has no CP932 form; `code` is "U+XXXX".
std::string NoCp932Form(std::string_view code);

}  // namespace drwa::dialogs::qt::texts
