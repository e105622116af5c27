// The group properties dialog of the DLL under Wine, opened through
// EditGroupProperty and driven as a user drives it: a new group made, its
// plugin's pages filled and renamed on OK; an existing group edited and
// cancelled; a bad name refused in a box. The settings files are checked byte
// for byte against the same expectations as the Qt view's test.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "dialog_driver.h"
#include "dialogs/format_panels.h"
#include "dialogs/group_dialog_expectations.h"
#include "dialogs/group_dialog_texts.h"
#include "dialogs/win32/format_panel_controls.h"
#include "dialogs/win32/group_dialog_ids.h"
#include "dialogs/win32/property_page_window.h"
#include "platform/win32/wide_text.h"
#include "support/plugin_loader.h"
#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa::testing {
namespace {

namespace ids = dialogs::win32::group_ids;
namespace panel = dialogs::win32::panel_ids;
namespace expected = dialogs::expected;
using EditGroupPropertyFn = int32_t DRWA_CALL(DrwaWindow, const char*, const int32_t*, int32_t);

class WinGroupDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        // The sample plugin alone: the dialog offers the first of the folder.
        dir_.CopyIn(DRWA_SOURCE_DIR "/plugins/cm_TEXTBOARD.PL", "plugins/cm_TEXTBOARD.PL");
        dir_.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + (dir_ / "plugins") +
                                           "\r\nPERL_EXE=perl\r\nTHREAD_COUNT=2\r\n");
    }
    std::string Account() const { return dir_ / "acct/account.ini"; }

    // Calls EditGroupProperty for `groups` on a host thread that owns a window
    // of its own, handed to the export; the export's result.
    std::optional<int> Run(std::vector<int32_t> groups, std::function<void(DialogDriver&)> user) {
        auto* edit = plugin_.Get<EditGroupPropertyFn>("EditGroupProperty");
        const std::string path = Account();
        return RunDialog(
            dialogs::group_texts::kCaption,
            [=, this] {
                HWND owner =
                    ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                                      20, 760, 620, nullptr, nullptr, nullptr, nullptr);
                owner_ = owner;
                const int result =
                    edit(owner, path.c_str(), groups.data(), static_cast<int32_t>(groups.size()));
                ::DestroyWindow(owner);
                return result;
            },
            std::move(user));
    }

    // The group settings file with its random identity masked.
    std::string GroupFile(const std::string& name) const {
        std::string file = dir_.Read("acct/BBS/" + name + "/drwa_BBS.ini");
        const std::size_t at = file.find("GUID=");
        if (at != std::string::npos && file.size() >= at + 5 + 36)
            file.replace(at + 5, 36, "<guid>");
        return file;
    }

    LoadedPlugin plugin_;
    TempFolder dir_;
    std::atomic<HWND> owner_ = nullptr;
};

TEST_F(WinGroupDialog, NewGroupTypedInChosenPluginPagesFilledThenRenamed) {
    std::optional<std::string> question;
    const auto result = Run({}, [&](DialogDriver& d) {
        // Modal to the host's window and centred on it.
        EXPECT_EQ(::GetWindow(d.window(), GW_OWNER), owner_.load());
        RECT o{}, r{};
        ::GetWindowRect(owner_, &o);
        ::GetWindowRect(d.window(), &r);
        EXPECT_NEAR((r.left + r.right) / 2, (o.left + o.right) / 2, 2);
        EXPECT_EQ(d.Focus(), d.Item(ids::kEditKeijibanName));
        EXPECT_FALSE(d.Visible(ids::kComboBoxKeijibanName));
        EXPECT_FALSE(d.Visible(ids::kPageControl1));
        EXPECT_FALSE(d.Enabled(ids::kOK));
        // Typed keys come out in upper case, as the folders are named.
        d.PressCharacters(d.Item(ids::kEditKeijibanName), L"board");
        EXPECT_EQ(d.Text(ids::kEditKeijibanName), "BOARD");
        ScreenshotIfAsked(d, "new-group");
        d.Click(ids::kButtonMakeFolder);
        EXPECT_FALSE(d.Visible(ids::kEditKeijibanName));
        EXPECT_TRUE(d.Visible(ids::kPageControl1));
        EXPECT_TRUE(d.Enabled(ids::kOK));
        EXPECT_EQ(d.Text(ids::kComboBoxKeijibanName), "BOARD");
        EXPECT_EQ(d.Text(ids::kComboBoxPluginName), "TEXTBOARD");
        EXPECT_EQ(d.Text(ids::kLabelPluginVersion), expected::kPluginVersion);
        EXPECT_EQ(d.Text(ids::kLabelPluginSakusya), expected::kPluginAuthor);
        d.Click(ids::kCheckBoxJunkai);
        ScreenshotIfAsked(d, "page1-basic");

        d.ChoosePage(ids::kPageControl1, 1);
        EXPECT_FALSE(d.Visible(ids::kComboBoxPluginName));
        EXPECT_EQ(d.Text(ids::kLabelJunkai1 + 8), "");
        EXPECT_FALSE(d.Enabled(ids::kEditJunkai1 + 8));
        EXPECT_TRUE(d.Enabled(ids::kEditJunkai1));
        d.Type(ids::kEditJunkai1, expected::kAddress);
        d.Type(ids::kEditJunkai1 + 2, expected::kPosterName);
        d.Type(ids::kEditJunkai1 + 3, expected::kMail);
        ScreenshotIfAsked(d, "page2-patrol");

        d.ChoosePage(ids::kPageControl1, 2);
        EXPECT_TRUE(d.Visible(ids::kFramePropertyEdit1));
        // The plugin's page: its second item is the interval, a number editor
        // whose label opens a box that lets no letter through.
        DialogDriver page = d.Within(d.Item(ids::kFramePropertyEdit1));
        const int interval = dialogs::win32::kFirstEditorId + 4 * 1;
        page.ClickWindow(page.Item(interval));
        EXPECT_TRUE(page.Visible(interval + 1));
        page.PressCharacters(page.Item(interval + 1), L"8x00");
        page.PressKey(page.Item(interval + 1), VK_RETURN);
        EXPECT_EQ(page.Text(interval), expected::kIntervalLabel);
        EXPECT_TRUE(d.Exists());  // Enter went to the box, not to OK
        d.Choose(ids::kComboBoxCharSet, 1);
        ScreenshotIfAsked(d, "page3-detail");

        d.ChoosePage(ids::kPageControl1, 3);
        const int subject = ids::kSubjectPanel;
        EXPECT_FALSE(d.Visible(subject + panel::kFormat));
        d.Click(ids::kCheckBoxHikitugiSubject);
        EXPECT_TRUE(d.Visible(subject + panel::kFormat));
        d.Click(subject + panel::kRadio1 + 1);
        d.Type(subject + panel::kDigits, "3");
        EXPECT_EQ(d.Text(subject + panel::kSample), expected::kSubjectSample);
        ScreenshotIfAsked(d, "page4-subject");
        d.ChoosePage(ids::kPageControl2, 1);
        EXPECT_FALSE(d.Visible(subject + panel::kFormat));
        d.Click(ids::kCheckBoxHikitugiBBSTitle);
        d.Click(ids::kTitlePanel + panel::kRadio1 + 2);
        EXPECT_EQ(d.Text(ids::kTitlePanel + panel::kSample), expected::kTitleSample);
        ScreenshotIfAsked(d, "page4-bbstitle");
        d.ChoosePage(ids::kPageControl2, 2);
        d.Type(ids::kSpinEditThreadNumber, "2");
        d.Click(ids::kCheckBoxSaveNumber);
        ScreenshotIfAsked(d, "page4-other");

        d.PressCharacters(d.Item(ids::kEditNameHenko), L"news");
        d.Click(ids::kOK);
        question = d.AnswerBox(IDNO);
        EXPECT_TRUE(d.Exists());  // No keeps the dialog open
        d.Click(ids::kOK);
        EXPECT_TRUE(d.AnswerBox(IDYES));
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(question, expected::kRenameQuestion);
    EXPECT_FALSE(dir_.Exists("acct/BBS/BOARD"));
    EXPECT_EQ(GroupFile("NEWS"), expected::kNewGroupFile);
    EXPECT_EQ(dir_.Read("acct/BBS/NEWS/sign.ini"), "");
    const config::IniFile account(Account());
    EXPECT_EQ(account.ReadInteger("PLUGIN", "GROUP_COUNT", 0), 1);
    EXPECT_EQ(account.ReadString("00001", "FOLDER_NAME", ""), "NEWS");
}

TEST_F(WinGroupDialog, CancelWritesNothingAndNamesAreCheckedInABox) {
    const std::string stored(expected::kKeptGroupFile);
    dir_.Write("acct/BBS/KEPT/drwa_BBS.ini", stored);
    dir_.Write("acct/account.ini",
               dir_.Read("acct/account.ini") + "GROUP_COUNT=1\r\n[00001]\r\nFOLDER_NAME=KEPT\r\n");
    std::optional<std::string> refused;
    auto result = Run({0}, [&](DialogDriver& d) {
        EXPECT_FALSE(d.Visible(ids::kEditKeijibanName));
        EXPECT_TRUE(d.Visible(ids::kComboBoxKeijibanName));
        EXPECT_TRUE(d.Enabled(ids::kEditNameHenko));
        d.ChoosePage(ids::kPageControl1, 1);
        EXPECT_EQ(d.Text(ids::kEditJunkai1), "http://kept/");
        d.Type(ids::kEditJunkai1, "http://kept/changed");
        // A character Shift_JIS lacks is refused in a box; the box keeps its
        // text.
        d.TypeCharacter(ids::kEditJunkai1, L'\u00e9');
        refused = d.AnswerBox();
        EXPECT_EQ(d.Text(ids::kEditJunkai1), "http://kept/changed");
        d.Click(ids::kCancel);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(refused, "Shift_JIS で表せない文字 (U+00E9) は使えません");
    EXPECT_EQ(dir_.Read("acct/BBS/KEPT/drwa_BBS.ini").substr(0, stored.size()), stored);

    std::optional<std::string> error;
    result = Run({}, [&](DialogDriver& d) {
        d.Type(ids::kEditKeijibanName, expected::kBlankInName);
        d.Click(ids::kButtonMakeFolder);
        error = d.AnswerBox();
        EXPECT_TRUE(d.Visible(ids::kEditKeijibanName));
        EXPECT_FALSE(d.Enabled(ids::kOK));
        d.Click(ids::kCancel);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(error, expected::kBlankInNameError);
}

// Article logs chosen in the system's file chooser are converted into the
// account's spool folder, and the user is told when it is done.
TEST_F(WinGroupDialog, ImportsArticleLogsChosenInTheFileChooser) {
    dir_.Write("acct/BBS/KEPT/drwa_BBS.ini", std::string(expected::kKeptGroupFile));
    dir_.Write("acct/account.ini",
               dir_.Read("acct/account.ini") + "GROUP_COUNT=1\r\n[00001]\r\nFOLDER_NAME=KEPT\r\n");
    std::string log = DRWA_TEST_DATA "/convert/sjis_board.cm$";
    std::replace(log.begin(), log.end(), '/', '\\');
    std::optional<std::string> done;
    const auto result = Run({0}, [&](DialogDriver& d) {
        d.ChoosePage(ids::kPageControl1, 3);
        d.ChoosePage(ids::kPageControl2, 2);
        EXPECT_TRUE(d.Visible(ids::kButtonTorikomi));
        d.Click(ids::kButtonTorikomi);
        EXPECT_TRUE(d.AnswerFileChooser(log));
        done = d.AnswerBox();
        d.Click(ids::kCancel);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(done, "CMTファイルの取込が完了しました");
    EXPECT_EQ(SpoolMails(dir_).size(), 3u);
}

// Another plugin chosen after its pages were seen: the plugin's page shows
// the new plugin's items, built anew when the first page is left again.
TEST_F(WinGroupDialog, AnotherPluginGivesItsOwnPage) {
    for (const char* name : {"ONE", "TWO"})
        dir_.Write(std::string("two-plugins/cm_") + name + ".PL",
                   std::string("# Ver 1.0\n#[DIALOG]\n#L000=T,KEY_") + name + ",item of " + name +
                       "\n#[/DIALOG]\nexit 0;\n");
    dir_.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + (dir_ / "two-plugins") +
                                       "\r\nGROUP_COUNT=1\r\n[00001]\r\nFOLDER_NAME=G\r\n");
    dir_.Write("acct/BBS/G/drwa_BBS.ini", "[BASIC]\r\nLIB=ONE\r\nLIB_TYPE=1\r\n");
    std::vector<std::string> shown;
    const auto result = Run({0}, [&](DialogDriver& d) {
        const int first = dialogs::win32::kFirstEditorId;
        const DialogDriver page = d.Within(d.Item(ids::kFramePropertyEdit1));
        d.ChoosePage(ids::kPageControl1, 2);
        shown.push_back(page.Text(first));
        d.ChoosePage(ids::kPageControl1, 0);
        d.Choose(ids::kComboBoxPluginName, 1);
        d.ChoosePage(ids::kPageControl1, 2);
        shown.push_back(page.Text(first));
        d.Click(ids::kCancel);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(shown, (std::vector<std::string>{"item of ONE \"\"", "item of TWO \"\""}));
}

// Run without a display: the call fails at once with a clear message and
// writes nothing.
TEST_F(WinGroupDialog, NoScreenFailsAtOnceAndWritesNothing) {
    const std::string before = dir_.Read("acct/account.ini");
    std::string last_error;
    const auto result = RunWithoutDialog([&] {
        const int32_t groups[] = {0, 1};
        const int r = plugin_.Get<EditGroupPropertyFn>("EditGroupProperty")(
            nullptr, Account().c_str(), groups, 2);
        last_error = plugin_.LastError();
        return r;
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(last_error.rfind("ダイアログを表示できる画面がありません", 0), 0u) << last_error;
    EXPECT_EQ(dir_.Read("acct/account.ini"), before);
}

}  // namespace
}  // namespace drwa::testing
