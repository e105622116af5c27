// Which Qt platform plugin can work in this process. Qt ends the whole process
// when the plugin it was told to use finds no display, so the choice is made
// here, before any Qt object exists.
#pragma once

#include <memory>
#include <string>

namespace drwa::platform {

struct QtPlatformChoice {
    // The "-platform" argument for the application object; empty when none works.
    std::string name;
    // A user can see what is shown: false for the headless plugins, where a
    // question in a message box could never be answered.
    bool user_sees = false;
    // Why none works (CP932), when `name` is empty.
    std::string problem;
    // The X connection that proved the display, for the caller to hold until
    // Qt has its own: a server whose last client leaves resets and refuses
    // connections meanwhile (a bare Xvfb), and Qt would abort on that.
    std::shared_ptr<void> connection;

    bool usable() const { return !name.empty(); }
};

// QT_QPA_PLATFORM naming "offscreen" or "minimal" is taken as it is: those
// work anywhere. Otherwise an X display that answers on $DISPLAY gives "xcb".
// A Wayland session alone is not enough: no Wayland plugin is relied on.
QtPlatformChoice ChooseQtPlatform();

// Whether `name` is a plugin that draws nowhere a user can see.
bool IsHeadlessQtPlatform(const std::string& name);

}  // namespace drwa::platform
