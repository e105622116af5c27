#include "platform/display.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <memory>
#include <string_view>

#include "common/error.h"

namespace drwa::platform {
namespace {

std::string_view PluginName(std::string_view entry) {
    return entry.substr(0, entry.find(':'));  // "offscreen:fontengine=freetype"
}

// The first headless entry of a QT_QPA_PLATFORM list ("wayland;offscreen"),
// options included, or nothing.
std::string HeadlessEntry(std::string_view list) {
    while (!list.empty()) {
        const std::size_t end = list.find(';');
        const std::string_view entry = list.substr(0, end);
        if (IsHeadlessQtPlatform(std::string(PluginName(entry)))) return std::string(entry);
        if (end == std::string_view::npos) break;
        list.remove_prefix(end + 1);
    }
    return {};
}

}  // namespace

bool IsHeadlessQtPlatform(const std::string& name) {
    const std::string_view plugin = PluginName(name);
    return plugin == "offscreen" || plugin == "minimal";
}

QtPlatformChoice ChooseQtPlatform() {
    if (const char* env = std::getenv("QT_QPA_PLATFORM")) {
        if (std::string headless = HeadlessEntry(env); !headless.empty())
            return {std::move(headless), false, {}, {}};
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return {{}, false, "DISPLAY が設定されていません", {}};
    // Asking the server is the only sure test: a stale DISPLAY from a closed
    // session is common, and Qt would abort on it.
    Display* connection = XOpenDisplay(display);
    if (!connection) return {{}, false, FormatMessage("画面 %s に接続できません", display), {}};
    return {"xcb", true, {}, std::shared_ptr<void>(connection, [](void* d) {
                XCloseDisplay(static_cast<Display*>(d));
            })};
}

}  // namespace drwa::platform
