// The Qt views as the library reaches them: a module of their own, opened
// only by the calls that show something, through a C table.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QPushButton>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "dialogs/qt/module_entry.h"
#include "dialogs/qt/qt_session.h"
#include "dialogs/qt/qt_test_support.h"
#include "platform/charset_edge.h"
#include "platform/loaded_module.h"
#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa::dialogs::qt {
namespace {

namespace fs = std::filesystem;
using drwa::testing::TempFolder;

struct HostRun {
    int status = -1;
    std::string err;
};

// drwa-host on `library` without a display, `env` added; its standard error.
HostRun RunHost(const std::string& env, const fs::path& library, const fs::path& account,
                const std::string& command) {
    const std::string line = "env -u DISPLAY -u QT_QPA_PLATFORM " + env +
                             " '" DRWA_HOST_PATH "' --lib '" + library.string() + "' --account '" +
                             account.string() + "' " + command + " 2>&1 >/dev/null </dev/null";
    HostRun run;
    FILE* pipe = ::popen(line.c_str(), "r");
    if (!pipe) return run;
    char buf[512];
    while (std::fgets(buf, sizeof buf, pipe)) run.err += buf;
    const int raw = ::pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return run;
}

TEST(QtModule, OnlyTheCallsThatShowSomethingNeedIt) {
    TempFolder folder;
    fs::copy(fs::path(DRWA_SOURCE_DIR) / "examples/account", folder.native() / "account",
             fs::copy_options::recursive);
    const fs::path account = folder.native() / "account/account.ini";

    HostRun run = RunHost("LD_DEBUG=files", DRWA_PLUGIN_PATH, account, "groups");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("libQt6"), std::string::npos) << "Qt loaded by a listing";

    // Failures inside the module come back as the export's error.
    run = RunHost("", DRWA_PLUGIN_PATH, account, "edit-account");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ダイアログを表示できる画面がありません (DISPLAY が設定されていません)"),
              std::string::npos)
        << run.err;

    // A library installed without its module still lists, and says what is
    // missing when a dialog is asked for.
    const fs::path lone = folder.native() / "lone/libdrwa_plugin.so";
    fs::create_directories(lone.parent_path());
    fs::copy_file(DRWA_PLUGIN_PATH, lone);
    EXPECT_EQ(RunHost("", lone, account, "groups").status, 0);
    run = RunHost("QT_QPA_PLATFORM=offscreen", lone, account, "edit-group 0");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ダイアログを表示する部品 " + (lone.parent_path() / "").string() +
                           "libdrwa_plugin_qt.so を読み込めません ("),
              std::string::npos)
        << run.err;
}

// The module's copy of the core has a shared block of its own: the host's
// dummy domain, which an import writes into the mails, must come with the call.
TEST(QtModule, TheGroupDialogsImportTakesTheHostsDummyDomain) {
    EnsureApplication();  // the host's own application, which the module uses
    TempFolder dir;
    dir.CopyIn(DRWA_SOURCE_DIR "/plugins/cm_TEXTBOARD.PL", "plugins/cm_TEXTBOARD.PL");
    dir.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + (dir / "plugins") +
                                      "\r\nPERL_EXE=perl\r\nGROUP_COUNT=1\r\n[00001]\r\n"
                                      "FOLDER_NAME=G\r\n");
    dir.Write("acct/BBS/G/drwa_BBS.ini",
              "[BASIC]\r\nGUID=00000000-0000-0000-0000-000000000001\r\nLIB=TEXTBOARD\r\n"
              "LIB_TYPE=1\r\n");

    const platform::LoadedModule module(DRWA_QT_MODULE_PATH);
    using Entry = const ModuleEntry* (*)();
    const auto find = reinterpret_cast<Entry>(module.Find(kModuleEntrySymbol));
    ASSERT_NE(find, nullptr);
    const ModuleEntry* entry = find();
    ASSERT_EQ(entry->version, kModuleEntryVersion);

    // The import's file chooser offers *.cmt files first.
    dir.CopyIn(DRWA_SOURCE_DIR "/tests/data/convert/sjis_board.cm$", "import/board.cmt");
    const std::string article = dir.native() / "import/board.cmt";
    QTimer::singleShot(0, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        drwa::testing::WhenModalShows<QFileDialog>([&](QFileDialog& files) {
            drwa::testing::TypeFileName(files, article);
            // public there; a chooser left open would keep the test waiting
            if (::testing::Test::HasFatalFailure())
                static_cast<QDialog&>(files).reject();
            else
                static_cast<QDialog&>(files).accept();
        });
        dialog->findChild<QPushButton*>("ButtonTorikomi")->click();
        dialog->findChild<QPushButton*>("ButtonCancel")->click();
    });
    const std::int32_t groups[] = {0};
    const HostRecords records{"@host.example"};
    std::string reason;
    const auto keep = [](void* context, const char* text) {
        *static_cast<std::string*>(context) = platform::Cp932ToUtf8(text);
    };
    ASSERT_EQ(entry->edit_group_property((dir / "acct/account.ini").c_str(), groups, 1, &records,
                                         keep, &reason),
              kModuleDone)
        << reason;

    const auto mails = drwa::testing::SpoolMails(dir);
    ASSERT_FALSE(mails.empty());
    for (const std::string& mail : mails) {
        std::ifstream in(mail, std::ios::binary);
        const std::string text(std::istreambuf_iterator<char>(in), {});
        EXPECT_NE(text.find("@host.example"), std::string::npos) << text;
    }
}

}  // namespace
}  // namespace drwa::dialogs::qt
