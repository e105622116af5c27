// The account dialog of the DLL under Wine, opened through EditAccount and
// driven as a user drives it: the defaults it shows, the proxy items, the OK
// checks answered in real message boxes, Cancel, and section PLUGIN checked
// byte for byte afterwards against the same expectations as the Qt view.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "dialog_driver.h"
#include "dialogs/account_dialog.h"
#include "dialogs/account_dialog_expectations.h"
#include "dialogs/win32/account_dialog_ids.h"
#include "platform/win32/wide_text.h"
#include "support/plugin_loader.h"
#include "support/temp_folder.h"

namespace drwa::testing {
namespace {

namespace ids = dialogs::win32::account_ids;
namespace expected = dialogs::expected;
using EditAccountFn = int32_t DRWA_CALL(DrwaWindow, const char*);

class WinAccountDialog : public ::testing::Test {
  protected:
    std::string Account() const { return dir_ / "account.ini"; }
    // Calls EditAccount on a host thread; the export's result. With an owner,
    // the host thread makes a window of its own first (the owner of a modal
    // dialog must be served by a thread that reads its messages) and hands it
    // to the export; owner_ names it while the dialog runs.
    std::optional<int> Run(std::function<void(DialogDriver&)> user, bool with_owner = false) {
        auto* edit = plugin_.Get<EditAccountFn>("EditAccount");
        const std::string path = Account();
        return RunDialog(
            dialogs::account_texts::kCaption,
            [=, this] {
                HWND owner = nullptr;
                if (with_owner)
                    owner_ = owner =
                        ::CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                          40, 60, 700, 560, nullptr, nullptr, nullptr, nullptr);
                const int result = edit(owner, path.c_str());
                owner_enabled_after_ = owner && ::IsWindowEnabled(owner);
                if (owner) ::DestroyWindow(owner);
                return result;
            },
            std::move(user));
    }
    LoadedPlugin plugin_;
    TempFolder dir_;
    std::atomic<HWND> owner_ = nullptr;
    std::atomic<bool> owner_enabled_after_ = false;
};

TEST_F(WinAccountDialog, EmptyAccountShowsTheDefaultsAndCancelOnlyRebuilds) {
    dir_.Write("account.ini", "");
    dir_.Write("表示/ruby.exe", "");
    const std::string interpreter = dir_ / "表示/ruby.exe";
    // The host's window: the dialog is modal to it and centred on it.
    const auto result = Run(
        [&](DialogDriver& d) {
            HWND owner = owner_;
            ASSERT_NE(owner, nullptr);
            EXPECT_EQ(::GetWindow(d.window(), GW_OWNER), owner);
            EXPECT_FALSE(::IsWindowEnabled(owner));
            RECT o{}, r{};
            ::GetWindowRect(owner, &o);
            ::GetWindowRect(d.window(), &r);
            EXPECT_NEAR((r.left + r.right) / 2, (o.left + o.right) / 2, 2);
            EXPECT_NEAR((r.top + r.bottom) / 2, (o.top + o.bottom) / 2, 2);
            EXPECT_EQ(d.Focus(), d.Item(ids::kEditDRWAPluginFolder));

            EXPECT_EQ(d.Text(ids::kEditDRWAPluginFolder), "");
            EXPECT_EQ(d.Text(ids::kEditPerlFolder), "perl.exe");
            EXPECT_EQ(d.Text(ids::kEditRubyFolder), "ruby.exe");
            EXPECT_TRUE(d.Checked(ids::kRadioProxy1));
            EXPECT_FALSE(d.Enabled(ids::kEditProxy));
            EXPECT_FALSE(d.Enabled(ids::kLabelProxy));
            EXPECT_EQ(d.Text(ids::kLabelVersion), "DRWAプラグインプラグイン Ver.0.9β");
            EXPECT_EQ(d.Text(ids::kButtonPerlFolder), "...");
            ScreenshotIfAsked(d, "account");
            // The pages show their own controls only.
            EXPECT_FALSE(d.Visible(ids::kSpinEditTimeOut));
            d.ChoosePage(ids::kPageControl1, 1);
            EXPECT_TRUE(d.Visible(ids::kSpinEditTimeOut));
            EXPECT_FALSE(d.Visible(ids::kEditPerlFolder));
            EXPECT_EQ(d.Text(ids::kSpinEditTimeOut), "0");
            EXPECT_EQ(d.Text(ids::kSpinEditTimeOut2), "120");
            EXPECT_EQ(d.Text(ids::kSpinEditThreadCount), "1");
            EXPECT_FALSE(d.Checked(ids::kCheckBoxAbortTransLog));
            ScreenshotIfAsked(d, "account-other");
            d.ChoosePage(ids::kPageControl1, 2);
            EXPECT_TRUE(d.Checked(ids::kSubjectRadio1));
            EXPECT_FALSE(d.Enabled(ids::kSubjectEditSyoshiki));
            EXPECT_EQ(d.Text(ids::kSubjectLabelSample), "[0000000023]サブジェクト");
            // "つける" enables the format, and the digits change the preview.
            d.Click(ids::kSubjectRadio1 + 1);
            EXPECT_TRUE(d.Enabled(ids::kSubjectEditSyoshiki));
            d.Type(ids::kSubjectSpinEditKeta, "3");
            EXPECT_EQ(d.Text(ids::kSubjectLabelSample), "[023]サブジェクト");
            ScreenshotIfAsked(d, "account-subject");
            d.ChoosePage(ids::kPageControl1, 3);
            EXPECT_TRUE(d.Checked(ids::kTitleRadio1 + 1));
            EXPECT_EQ(d.Text(ids::kTitleLabelSample), "TQNAVE(10 お試し掲示板B)");
            d.Type(ids::kTitleEditSyoshiki, "$$S");
            EXPECT_EQ(d.Text(ids::kTitleLabelSample), "$$S");
            d.Click(ids::kTitleRadio1);
            EXPECT_FALSE(d.Enabled(ids::kTitleEditSyoshiki));
            EXPECT_TRUE(d.Enabled(ids::kTitleRadio1 + 2));
            ScreenshotIfAsked(d, "account-bbstitle");
            d.ChoosePage(ids::kPageControl1, 0);
            // The interpreter chosen in the system's file chooser, in a folder
            // with a Japanese name.
            d.Click(ids::kButtonRubyFolder);
            EXPECT_TRUE(d.AnswerFileChooser(interpreter));
            EXPECT_EQ(d.Text(ids::kEditRubyFolder), interpreter);
            d.Click(ids::kButtonDRWAPluginFolder);
            EXPECT_TRUE(d.AnswerFolderChooser(dir_ / "表示"));
            EXPECT_EQ(d.Text(ids::kEditDRWAPluginFolder), dir_ / "表示");
            d.Type(ids::kEditPerlFolder, "typed");
            d.Click(ids::kCancel);
            EXPECT_TRUE(d.Closed());
        },
        true);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(owner_enabled_after_);
    EXPECT_EQ(dir_.Read("account.ini"), expected::kCancelledEmptyAccount);
}

// The user's Internet settings in the prefix's registry, put back afterwards.
class SystemProxy {
  public:
    explicit SystemProxy(const wchar_t* server) {
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                          nullptr);
        const DWORD on = 1;
        ::RegSetValueExW(key_, L"ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on),
                         sizeof on);
        ::RegSetValueExW(key_, L"ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>(server),
                         static_cast<DWORD>((std::wcslen(server) + 1) * sizeof(wchar_t)));
    }
    ~SystemProxy() {
        ::RegDeleteValueW(key_, L"ProxyEnable");
        ::RegDeleteValueW(key_, L"ProxyServer");
        ::RegCloseKey(key_);
    }

  private:
    static constexpr const wchar_t* kKey =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    HKEY key_ = nullptr;
};

TEST_F(WinAccountDialog, SystemProxyIsShownAndItsStoredValuesKept) {
    const SystemProxy proxy(L"proxy.example:3128");
    dir_.Write("account.ini", expected::kStoredSystemProxy);
    const auto result = Run([&](DialogDriver& d) {
        // Without an owner the dialog is centred on the screen's work area.
        RECT area{}, r{};
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        ::GetWindowRect(d.window(), &r);
        EXPECT_NEAR((r.left + r.right) / 2, (area.left + area.right) / 2, 2);
        EXPECT_NEAR((r.top + r.bottom) / 2, (area.top + area.bottom) / 2, 2);
        EXPECT_TRUE(d.Checked(ids::kRadioProxy1 + 2));
        EXPECT_EQ(d.Text(ids::kEditProxy), "proxy.example");
        EXPECT_EQ(d.Text(ids::kEditProxyPort), "3128");
        EXPECT_FALSE(d.Enabled(ids::kEditProxyPort));
        // Item 1 enables the fields at once, item 2 disables them again.
        d.Click(ids::kRadioProxy1 + 1);
        EXPECT_TRUE(d.Enabled(ids::kEditProxyPort));
        EXPECT_TRUE(d.Enabled(ids::kLabelProxy));
        d.Click(ids::kRadioProxy1 + 2);
        EXPECT_FALSE(d.Enabled(ids::kEditProxy));
        d.Click(ids::kOK);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    const std::string account = dir_.Read("account.ini");
    for (const char* line :
         {"PROXY_SETTING=2\r\n", "PROXY_HOST=old.example\r\n", "PROXY_PORT=8000\r\n"})
        EXPECT_NE(account.find(line), std::string::npos) << line;
}

TEST_F(WinAccountDialog, OkChecksPortAndThreadCountThenWritesSectionPlugin) {
    dir_.Write("account.ini", "");
    std::vector<std::optional<std::string>> messages;
    const auto result = Run([&](DialogDriver& d) {
        d.Click(ids::kRadioProxy1 + 1);
        d.Type(ids::kEditProxy, "proxy.lan");
        for (const char* bad : {"0", "70000", "abc"}) {
            d.Type(ids::kEditProxyPort, bad);
            d.Click(ids::kOK);
            if (bad[0] == '0') ScreenshotIfAsked(d, "account-bad-port");
            messages.push_back(d.AnswerBox());
            EXPECT_TRUE(d.Exists()) << bad;
            EXPECT_EQ(d.Focus(), d.Item(ids::kEditProxyPort)) << bad;
        }
        d.Type(ids::kEditProxyPort, "8080");
        d.ChoosePage(ids::kPageControl1, 1);
        d.Type(ids::kSpinEditThreadCount, "5");
        d.ChoosePage(ids::kPageControl1, 0);
        d.Click(ids::kOK);
        messages.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Exists());
        // The check shows the page of the field it failed on.
        EXPECT_TRUE(d.Visible(ids::kSpinEditThreadCount));
        EXPECT_EQ(d.Focus(), d.Item(ids::kSpinEditThreadCount));
        d.Type(ids::kSpinEditThreadCount, "3");
        d.Type(ids::kSpinEditTimeOut, "30");
        d.Click(ids::kCheckBoxAbortTransLog);
        d.Click(ids::kOK);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[0], expected::kBadPort);
    EXPECT_EQ(messages[1], expected::kBadPort);
    EXPECT_EQ(messages[2], expected::kPortNotANumber);
    EXPECT_EQ(messages[3], expected::kBadThreadCount);
    EXPECT_EQ(dir_.Read("account.ini"), expected::kDrivenOkAccount);
}

// A character CP932 lacks is refused where it was typed, named, and nothing
// is written; in a format box the panel's format comes back at once.
TEST_F(WinAccountDialog, RefusesTextShiftJisLacks) {
    dir_.Write("account.ini", "");
    std::vector<std::optional<std::string>> messages;
    const auto result = Run([&](DialogDriver& d) {
        d.ChoosePage(ids::kPageControl1, 3);
        d.TypeCharacter(ids::kTitleEditSyoshiki, L'\u00e9');
        messages.push_back(d.AnswerBox());
        EXPECT_EQ(d.Text(ids::kTitleEditSyoshiki), "$G($T)");
        d.ChoosePage(ids::kPageControl1, 0);
        ::SendMessageW(d.Item(ids::kEditPerlFolder), WM_SETTEXT, 0,
                       reinterpret_cast<LPARAM>(L"C:\\caf\u00e9\\perl.exe"));
        d.ChoosePage(ids::kPageControl1, 1);
        d.Click(ids::kOK);
        messages.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Visible(ids::kEditPerlFolder));
        EXPECT_EQ(d.Focus(), d.Item(ids::kEditPerlFolder));
        d.Click(ids::kCancel);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, 0);
    ASSERT_EQ(messages.size(), 2u);
    for (const auto& message : messages)
        EXPECT_EQ(message, "Shift_JIS で表せない文字 (U+00E9) は使えません");
    EXPECT_EQ(dir_.Read("account.ini"), expected::kCancelledEmptyAccount);
}

// Run without a display: the call fails at once with a clear message and
// writes nothing.
TEST_F(WinAccountDialog, NoScreenFailsAtOnceAndWritesNothing) {
    dir_.Write("account.ini", expected::kStoredSystemProxy);
    std::string last_error;
    const auto result = RunWithoutDialog([&] {
        const int r = plugin_.Get<EditAccountFn>("EditAccount")(nullptr, Account().c_str());
        last_error = plugin_.LastError();
        return r;
    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(last_error.rfind("ダイアログを表示できる画面がありません", 0), 0u) << last_error;
    EXPECT_EQ(dir_.Read("account.ini"), expected::kStoredSystemProxy);
}

}  // namespace
}  // namespace drwa::testing
