// The application object, the message boxes and the terminal questions, and
// the text bridge between CP932 and Qt.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QKeyEvent>
#include <QMessageBox>
#include <cstdio>
#include <string>

#include "common/error.h"
#include "dialogs/qt/qt_questions.h"
#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_test_support.h"
#include "dialogs/qt/qt_text.h"
#include "platform/charset_edge.h"
#include "support/virtual_display.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::U;
using drwa::testing::WhenModalShows;

struct ProbeRun {
    int status = -1;
    std::string out;
};

// The probe in a clean environment with `env` added (VAR=value ...).
ProbeRun RunProbe(const std::string& env) {
    const std::string command = "env -u DISPLAY -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY " + env +
                                " '" DRWA_SESSION_PROBE "' 2>&1";
    ProbeRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buf[512];
    while (std::fgets(buf, sizeof buf, pipe)) run.out += buf;
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(QtSession, PlatformIsChosenBeforeQtCanAbort) {
    const std::string no_display =
        "error: ダイアログを表示できる画面がありません (DISPLAY が設定されていません)";
    struct Case {
        std::string env;
        int status;
        std::string shown;
    } cases[] = {
        {"", 3, no_display},
        // No Wayland plugin is relied on: a Wayland session alone is no screen.
        {"WAYLAND_DISPLAY=wayland-0", 3, no_display},
        // A plugin named in the environment does not make a display appear.
        {"QT_QPA_PLATFORM=xcb", 3, no_display},
        // A stale DISPLAY from a closed session.
        {"DISPLAY=:250", 3,
         "error: ダイアログを表示できる画面がありません (画面 :250 に接続できません)"},
        {"QT_QPA_PLATFORM=offscreen", 0, "platform: offscreen"},
        {"QT_QPA_PLATFORM='wayland;minimal' DISPLAY=:250", 0, "platform: minimal"},
    };
    for (const Case& c : cases) {
        const ProbeRun run = RunProbe(c.env);
        EXPECT_EQ(run.status, c.status) << c.env << "\n" << run.out;
        EXPECT_NE(run.out.find(c.shown + "\n"), std::string::npos) << c.env << "\n" << run.out;
    }
}

TEST(QtSession, AnXDisplayThatAnswersGivesXcb) {
    drwa::testing::VirtualDisplay x;
    if (x.name().empty()) GTEST_SKIP() << "no Xvfb";
    const ProbeRun run = RunProbe("DISPLAY=" + x.name());
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("platform: xcb\n"), std::string::npos) << run.out;
}

TEST(QtSession, OneApplicationAndNoMessageBoxesOffscreen) {
    QApplication& app = EnsureApplication();
    EXPECT_EQ(&EnsureApplication(), &app);
    EXPECT_EQ(QGuiApplication::platformName(), "offscreen");
    // Nobody could answer a box there: questions go to the terminal.
    EXPECT_FALSE(ScreenUserSees());
    EXPECT_EQ(&DialogQuestions(), &platform::UserQuestions());
}

TEST(QtQuestionsTest, BoxesAnswerAndCloseToTheSafeAnswer) {
    EnsureApplication();
    QtQuestions questions;
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
    };
    // Presses `key` (Escape, Enter) or clicks `button` on the next box.
    auto answer = [](Seen& seen, QMessageBox::StandardButton button, int key = 0) {
        WhenModalShows<QMessageBox>([&seen, button, key](QMessageBox& box) {
            seen = {box.windowTitle(), box.text(), box.icon()};
            if (key) {
                QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
                QApplication::sendEvent(&box, &press);
            } else {
                box.button(button)->click();
            }
        });
    };
    const std::string question = platform::Utf8ToCp932("削除しますか？\n元に戻せません");
    Seen seen;

    answer(seen, QMessageBox::Yes);
    EXPECT_TRUE(questions.AskYesNo(question));
    EXPECT_EQ(seen.title, "drwa");
    EXPECT_EQ(seen.text, U("削除しますか？\n元に戻せません"));
    EXPECT_EQ(seen.icon, QMessageBox::Question);

    answer(seen, QMessageBox::NoButton, Qt::Key_Escape);
    EXPECT_FALSE(questions.AskYesNo(question));

    answer(seen, QMessageBox::Ok);
    EXPECT_EQ(questions.AskOkCancel(question), platform::Answer::kOk);
    // Enter takes the default button, the safe one.
    answer(seen, QMessageBox::NoButton, Qt::Key_Return);
    EXPECT_EQ(questions.AskOkCancel(question), platform::Answer::kCancel);

    answer(seen, QMessageBox::Ok);
    questions.ShowError(platform::Utf8ToCp932("書き込めません"));
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.text, U("書き込めません"));
    answer(seen, QMessageBox::Ok);
    questions.ShowInformation("done");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
}

// The terminal's Yes/No and messages, as scripts and hosts without a screen
// get them.
TEST(TerminalQuestionsTest, YesNoAndMessages) {
    struct Case {
        std::string input;
        bool yes;
    } cases[] = {{"y\n", true}, {"YES\r\n", true}, {"n\n", false}, {"", false}, {"\n", false}};
    for (const Case& c : cases) {
        int in[2], out[2];
        ASSERT_EQ(::pipe(in), 0);
        ASSERT_EQ(::pipe(out), 0);
        ASSERT_EQ(::write(in[1], c.input.data(), c.input.size()),
                  static_cast<ssize_t>(c.input.size()));
        ::close(in[1]);
        platform::TerminalQuestions terminal(in[0], out[1]);
        EXPECT_EQ(terminal.AskYesNo(platform::Utf8ToCp932("上書きしますか？")), c.yes) << c.input;
        terminal.ShowError(platform::Utf8ToCp932("失敗しました"));
        terminal.ShowInformation("done");
        ::close(out[1]);
        char buf[512];
        const ssize_t n = ::read(out[0], buf, sizeof buf);
        const std::string shown(buf, n > 0 ? static_cast<std::size_t>(n) : 0);
        EXPECT_EQ(shown, "上書きしますか？\n(y: はい / それ以外: いいえ) \n失敗しました\ndone\n")
            << c.input;
        ::close(in[0]);
        ::close(out[0]);
    }
}

TEST(QtText, Cp932AndQStringMeet) {
    struct Case {
        std::string cp932;
        QString shown;
    } shown_cases[] = {
        {platform::Utf8ToCp932("表示ソ"), U("表示ソ")},  // trail bytes 0x5C
        {"\x81", QString(QChar::ReplacementCharacter)},  // a lead byte cut off
        {"a\xA0z", U("a\uFFFDz")},                       // a byte CP932 leaves unused
    };
    for (const Case& c : shown_cases) EXPECT_EQ(ToQString(c.cp932), c.shown);

    // IME forms of the wave dash and minus have CP932 forms.
    EXPECT_EQ(ToCp932(U("〜−")), "\x81\x60\x81\x7C");
    for (const char* typed : {"😀", "é", "a\xF0\x9F\x98\x80"}) {
        EXPECT_FALSE(TryToCp932(U(typed))) << typed;
        try {
            ToCp932(U(typed));
            ADD_FAILURE() << typed;
        } catch (const Error& e) {
            const std::string message = platform::Cp932ToUtf8(e.what());
            EXPECT_NE(message.find("Shift_JIS で表せない文字 (U+"), std::string::npos) << message;
        }
    }
}

}  // namespace
}  // namespace drwa::dialogs::qt
