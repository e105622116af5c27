// The dialog tests' own main: the application object is made before the
// tests run, as a host that has one makes it.
#include <gtest/gtest.h>
#include <QApplication>

// The application object is made here, as a host that has one makes it, and
// goes before the process's own clean-up: the library then uses it and never
// destroys it.
int main(int argc, char** argv) {
    // Offscreen unless a screen is asked for (the screenshots use Xvfb).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
