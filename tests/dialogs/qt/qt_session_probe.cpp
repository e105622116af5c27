// Asks for the library's application object, as a host's export call would,
// and says what it got: the platform plugin, or the error text in UTF-8 with
// exit status 3. Run from a test with a chosen environment.
#include <QApplication>
#include <QWidget>
#include <cstdio>

#include "common/error.h"
#include "dialogs/qt/qt_session.h"
#include "platform/charset_edge.h"

int main() {
    try {
        QApplication& app = drwa::dialogs::qt::EnsureApplication();
        if (&drwa::dialogs::qt::EnsureApplication() != &app) return 4;  // made once
        QWidget window;
        window.show();
        QApplication::processEvents();
        std::printf("platform: %s\n", QGuiApplication::platformName().toUtf8().constData());
        return 0;
    } catch (const drwa::Error& e) {
        const auto text = drwa::platform::TryCp932ToUtf8(e.what());
        std::printf("error: %s\n", text ? text->c_str() : e.what());
        return 3;
    }
}
