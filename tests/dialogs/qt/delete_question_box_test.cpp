// DeleteGroup at a screen: drwa-host with a display and no answer piped in
// asks in a message box, and Escape there is the safe answer.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/temp_folder.h"
#include "support/virtual_display.h"

// Last: Xlib defines macros (None, Bool) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace drwa {
namespace {

namespace fs = std::filesystem;

// A mapped top-level window titled "drwa" that is more than the application's
// hidden leader window; 0 while there is none.
Window FindBox(Display* display) {
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        XWindowAttributes attributes;
        if (XFetchName(display, children[i], &name) && name && std::string(name) == "drwa" &&
            XGetWindowAttributes(display, children[i], &attributes) &&
            attributes.map_state == IsViewable && attributes.width > 10)
            found = children[i];
        if (name) XFree(name);
    }
    if (children) XFree(children);
    return found;
}

// Presses and releases `key` through XTEST, loaded at run time as its headers
// are not needed anywhere else. Never unloaded: the extension leaves a hook in
// the display that runs when the display is closed.
bool FakeKey(Display* display, KeySym key) {
    using FakeKeyEvent = int (*)(Display*, unsigned, int, unsigned long);
    static void* xtst = ::dlopen("libXtst.so.6", RTLD_NOW);
    auto fake = xtst ? reinterpret_cast<FakeKeyEvent>(::dlsym(xtst, "XTestFakeKeyEvent")) : nullptr;
    if (!fake) return false;
    fake(display, XKeysymToKeycode(display, key), 1, 0);
    fake(display, XKeysymToKeycode(display, key), 0, 0);
    XSync(display, 0);
    return true;
}

TEST(DeleteQuestionBox, AScreenAndNoPipedAnswerAskInAMessageBox) {
    testing::VirtualDisplay x;
    if (x.name().empty()) GTEST_SKIP() << "no Xvfb";
    std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(x.name().c_str()),
                                                        XCloseDisplay);
    ASSERT_TRUE(display);
    testing::TempFolder folder;
    fs::copy(fs::path(DRWA_SOURCE_DIR) / "examples/account", folder.native(),
             fs::copy_options::recursive);

    const pid_t host = ::fork();
    if (host == 0) {
        ::setenv("DISPLAY", x.name().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (folder.native() / "xdg").c_str(), 1);
        ::unsetenv("QT_QPA_PLATFORM");
        // A terminal-like input that is neither a pipe nor a file.
        ::dup2(::open("/dev/null", O_RDONLY), STDIN_FILENO);
        ::dup2(::open((folder.native() / "err.txt").c_str(), O_WRONLY | O_CREAT, 0600),
               STDERR_FILENO);
        ::execl(DRWA_HOST_PATH, DRWA_HOST_PATH, "--account",
                (folder.native() / "account.ini").c_str(), "delete", "0",
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(host, 0);

    Window box = 0;
    for (int i = 0; i < 200 && !box; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        box = FindBox(display.get());
    }
    EXPECT_NE(box, 0u) << "no message box";
    if (box) {
        XSetInputFocus(display.get(), box, RevertToParent, CurrentTime);
        if (!FakeKey(display.get(), XK_Escape)) ::kill(host, SIGTERM);
    } else {
        ::kill(host, SIGTERM);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(host, &status, 0), host);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;

    std::stringstream err;
    err << std::ifstream(folder.native() / "err.txt").rdbuf();
    EXPECT_EQ(err.str().find("(y: OK"), std::string::npos) << "asked on the terminal too";
    EXPECT_TRUE(fs::exists(folder.native() / "BBS/NEWS")) << "Escape deleted the group";
}

}  // namespace
}  // namespace drwa
