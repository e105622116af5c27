// The plugin's settings page as a Win32 child window, on a bare modal dialog
// of the test's own with OK and Cancel, driven from a second thread as a user
// drives it (keys through the dialog's message loop and dialog manager), down
// to the bytes the dialog's OK writes into the group settings file.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h, which it needs
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "dialog_driver.h"
#include "dialogs/property_items.h"
#include "dialogs/property_page_expectations.h"
#include "dialogs/win32/property_page_window.h"
#include "dialogs/win32/win32_controls.h"
#include "dialogs/win32/window_services.h"
#include "platform/win32/wide_text.h"
#include "support/temp_folder.h"

namespace drwa::testing {
namespace {

using dialogs::TFramePropertyEdit;
using dialogs::win32::kFirstEditorId;
using dialogs::win32::kFirstRadioId;
using dialogs::win32::PropertyPageWindow;

constexpr const char* kCaption = "プラグインの設定";
constexpr int kPageId = 50;
constexpr int kButtonsHeight = 34;  // pixels under the page for OK and Cancel

constexpr int Base(int editor) {
    return kFirstEditorId + 4 * editor;
}

class WinPropertyPage : public ::testing::Test {
  protected:
    void Load(std::string_view bytes) {
        folder_.Write("group.ini", bytes);
        file_.emplace(folder_ / "group.ini");
        model_.BuildPropertyItems(*file_);
    }

    // Shows the dialog (`height` dialog units) with the page over the model
    // and hands the driver, looking up IDs on the page, to `user`. The
    // dialog's result.
    std::optional<int> Run(const std::function<void(DialogDriver&)>& user, short height = 200) {
        auto result = RunDialog(
            kCaption, [this, height] { return Host(height); },
            [&](DialogDriver& d) {
                DialogDriver page = d.Within(page_);
                user(page);
            });
        if (failure_) std::rethrow_exception(failure_);
        return result;
    }

    // What the dialog's OK writes.
    std::string Saved() {
        model_.SaveTo("BASIC", *file_);
        return folder_.Read("group.ini");
    }

    // The driver for the dialog's own controls (OK, Cancel).
    static DialogDriver Outer(const DialogDriver& page) { return page.Within(nullptr); }
    HWND Control(int id) const { return ::GetDlgItem(page_, id); }
    // A control's place on the page, in its client pixels.
    RECT Place(int id) const {
        RECT r{};
        ::GetWindowRect(Control(id), &r);
        ::MapWindowPoints(nullptr, page_, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // The hover hint of a control; empty without one.
    std::string Hint(int id) const {
        wchar_t text[1024] = {};
        TOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;
        tool.hwnd = page_;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(id));
        tool.lpszText = text;
        ::SendMessageW(page_window_->hints(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
        return platform::win32::ShowableName(text);
    }
    // The colour of the page where no editor is, as painted.
    COLORREF Backdrop() const {
        ::RedrawWindow(page_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        ::Sleep(300);
        RECT r{};
        ::GetClientRect(page_, &r);
        HDC dc = ::GetDC(page_);
        const COLORREF colour = ::GetPixel(dc, r.right - 3, r.bottom - 3);
        ::ReleaseDC(page_, dc);
        return colour;
    }
    int ScrollPosition() const {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        ::GetScrollInfo(page_, SB_VERT, &info);
        return info.nPos;
    }

    TempFolder folder_;
    std::optional<config::IniFile> file_;
    TFramePropertyEdit model_;
    HWND page_ = nullptr;
    std::optional<PropertyPageWindow> page_window_;

  private:
    int Host(short height) {
        const dialogs::win32::DialogFont font;
        font_ = &font;
        const auto form = dialogs::win32::EmptyDialogTemplate(kCaption, 280, height, font);
        const INT_PTR result =
            dialogs::win32::RunModalDialog(form, nullptr, &Proc, reinterpret_cast<LPARAM>(this));
        return static_cast<int>(result);
    }

    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM w, LPARAM l) {
        if (message == WM_INITDIALOG) ::SetWindowLongPtrW(dialog, DWLP_USER, l);
        auto* self = reinterpret_cast<WinPropertyPage*>(::GetWindowLongPtrW(dialog, DWLP_USER));
        if (!self) return FALSE;
        try {
            if (message == WM_INITDIALOG) {
                self->Open(dialog);
                return FALSE;  // the page set the focus
            }
            if (message == WM_COMMAND && LOWORD(w) == IDOK) {
                if (self->page_window_->CommitOpenEditor()) ::EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (message == WM_COMMAND && LOWORD(w) == IDCANCEL) {
                ::EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
        } catch (...) {
            self->failure_ = std::current_exception();
            ::EndDialog(dialog, -2);
        }
        return FALSE;
    }

    void Open(HWND dialog) {
        using dialogs::win32::AddControl;
        services_.emplace(dialog);
        page_window_.emplace(model_, *services_);
        RECT area{};
        ::GetClientRect(dialog, &area);
        const LONG bottom = area.bottom;
        area.bottom -= kButtonsHeight;
        page_window_->Create(dialog, area, kPageId, font_->get());
        page_window_->Rebuild();
        ::ShowWindow(page_window_->window(), SW_SHOW);
        page_ = page_window_->window();
        RECT buttons{0, 0, 4, 8};
        ::MapDialogRect(dialog, &buttons);  // pixels of 4 by 8 dialog units
        const short y = static_cast<short>((bottom - kButtonsHeight) * 8 / buttons.bottom + 4);
        AddControl(
            dialog,
            {WC_BUTTONW, "OK", WS_GROUP | WS_TABSTOP | BS_DEFPUSHBUTTON, 170, y, 50, 14, IDOK},
            font_->get());
        AddControl(dialog,
                   {WC_BUTTONW, "キャンセル", WS_GROUP | WS_TABSTOP, 224, y, 50, 14, IDCANCEL},
                   font_->get());
        page_window_->Focus();
    }

    const dialogs::win32::DialogFont* font_ = nullptr;
    std::optional<dialogs::win32::WindowDialogServices> services_;
    std::exception_ptr failure_;
};

TEST_F(WinPropertyPage, EditorsStackOnAWhitePageWithTheirValues) {
    Load(dialogs::expected::kItemsOfEveryKind);
    const auto result = Run([&](DialogDriver& d) {
        EXPECT_EQ(::GetDlgCtrlID(page_), kPageId);
        EXPECT_TRUE(::GetWindowLongPtrW(page_, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
        EXPECT_EQ(Backdrop(), RGB(255, 255, 255));
        // The first editor that takes the focus has it.
        EXPECT_EQ(d.Focus(), Control(Base(1)));

        // Each editor at the running top: rows of 21 pixels, the radio group
        // 2 * 17 + 3 high with its buttons at 2 and 19 inside it.
        const int tops[] = {0, 21, 42, 79, 100, 121, 142, 163, 184};
        for (int i = 0; i < 9; ++i) EXPECT_EQ(Place(Base(i)).top, tops[i]) << "editor " << i;
        EXPECT_EQ(Place(Base(2)).bottom - Place(Base(2)).top, 37);
        for (int k = 0; k < 2; ++k) {
            const RECT r = Place(kFirstRadioId + k);
            EXPECT_EQ(r.left, 20);
            EXPECT_EQ(r.top, 42 + 2 + 17 * k);
            EXPECT_EQ(r.right - r.left, 360);
            EXPECT_EQ(r.bottom - r.top, 17);
        }
        // One group: the first button starts it; Tab goes to the checked one
        // (the button control moves WS_TABSTOP to whichever is checked).
        const auto style = [&](int id) { return ::GetWindowLongPtrW(Control(id), GWL_STYLE); };
        EXPECT_TRUE(style(kFirstRadioId) & WS_GROUP);
        EXPECT_FALSE(style(kFirstRadioId + 1) & WS_GROUP);
        EXPECT_TRUE(style(Base(3)) & WS_GROUP);
        EXPECT_FALSE(style(kFirstRadioId) & WS_TABSTOP);
        EXPECT_TRUE(style(kFirstRadioId + 1) & WS_TABSTOP);
        EXPECT_FALSE(d.Checked(kFirstRadioId));
        EXPECT_TRUE(d.Checked(kFirstRadioId + 1));
        EXPECT_FALSE(d.Checked(Base(1)));

        const std::pair<int, const char*> labels[] = {
            {Base(0), "掲示板の設定"},
            {Base(3), "名前,姓 \"say \"\"hi\"\"\""},  // the caption keeps its comma
            {Base(4), "件数 \"\""},                   // 12a is no number
            {Base(5), "ログ(*.log;*.txt) \"\""},
            {Base(6), "背景色 \"563412\""},
        };
        for (const auto& [id, text] : labels) EXPECT_EQ(d.Text(id), text) << id;
        EXPECT_FALSE(d.Visible(Base(3) + 1)) << "text box shown only while editing";

        // Only a caption longer than 50 bytes, or a label reaching the right
        // edge, repeats itself as hint.
        EXPECT_EQ(Hint(Base(1)), "");
        EXPECT_EQ(Hint(Base(7)), d.Text(Base(7)));
        EXPECT_EQ(Hint(Base(3)), "");
        EXPECT_EQ(Hint(Base(8)), d.Text(Base(8)))
            << Place(Base(8)).right << " of " << Place(Base(2)).right;
        ScreenshotIfAsked(d, "parameter-page");
        Outer(d).Click(IDCANCEL);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, IDCANCEL);
    // Nothing touched: OK writes what the page shows.
    const std::string saved = Saved();
    for (const char* line : {"A=0\r\n", "B=2\r\n", "COUNT=\r\n", "COLOUR=563412\r\n", "LONG=0\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
}

TEST_F(WinPropertyPage, ItemListsThatShowLittleOrNothing) {
    struct Case {
        const char* name;
        const char* file;
        int editors;
        bool white;
    } cases[] = {
        {"L000 missing", "[DIALOG]\r\nL001=C,A,missing L000\r\n[BASIC]\r\n", 0, false},
        {"L005 is .",
         "[DIALOG]\r\nL000=C,A,a\r\nL001=C,B,b\r\nL002=C,C,c\r\nL003=C,D,d\r\nL004=C,E,e\r\n"
         "L005=.\r\nL006=C,F,f\r\n",
         5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Load(c.file);
        const auto result = Run([&](DialogDriver& d) {
            for (int i = 0; i <= c.editors; ++i)
                EXPECT_EQ(Control(Base(i)) != nullptr, i < c.editors) << i;
            EXPECT_EQ(Backdrop(), c.white ? RGB(255, 255, 255) : ::GetSysColor(COLOR_BTNFACE));
            EXPECT_TRUE(::IsWindowVisible(page_));
            Outer(d).Click(IDOK);
            EXPECT_TRUE(d.Closed());
        });
        EXPECT_EQ(result, IDOK);
    }
    EXPECT_EQ(Saved().find("F=0"), std::string::npos);
}

TEST_F(WinPropertyPage, TypedValuesAreCommittedOrRefused) {
    Load(dialogs::expected::kItemsOfEveryKind);
    std::vector<std::optional<std::string>> reports;
    const auto result = Run([&](DialogDriver& d) {
        HWND name_label = Control(Base(3));
        HWND name = Control(Base(3) + 1);
        // A click on the label opens the box with the value, all selected.
        d.ClickWindow(name_label);
        ASSERT_TRUE(d.Visible(Base(3) + 1));
        EXPECT_FALSE(d.Visible(Base(3)));
        EXPECT_EQ(d.Focus(), name);
        EXPECT_EQ(d.Text(Base(3) + 1), "say \"hi\"");
        EXPECT_EQ(Place(Base(3) + 1).right - Place(Base(3) + 1).left, 340);
        // Enter commits and stays in the dialog (not its default button).
        d.Type(Base(3) + 1, "鈴木");
        d.PressKey(name, VK_RETURN);
        EXPECT_TRUE(d.Exists());
        EXPECT_FALSE(d.Visible(Base(3) + 1));
        EXPECT_EQ(d.Text(Base(3)), "名前,姓 \"鈴木\"");
        EXPECT_EQ(d.Focus(), name_label);

        // Escape puts the value back (and does not cancel the dialog);
        // Enter on the label opens it, Tab away commits it.
        d.PressKey(name_label, VK_F2);
        d.PressCharacters(name, L"x");
        d.PressKey(name, VK_ESCAPE);
        EXPECT_TRUE(d.Exists());
        EXPECT_EQ(d.Text(Base(3)), "名前,姓 \"鈴木\"");
        d.PressKey(name_label, VK_RETURN);
        EXPECT_TRUE(d.Visible(Base(3) + 1));
        d.Type(Base(3) + 1, "佐藤");
        d.PressKey(name, VK_TAB);
        EXPECT_EQ(d.Text(Base(3)), "名前,姓 \"佐藤\"");
        EXPECT_EQ(d.Focus(), Control(Base(4)));

        // A character Shift_JIS cannot hold is refused, the box left open.
        d.ClickWindow(name_label);
        ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"\U0001F600"));
        d.PressKey(name, VK_RETURN);
        reports.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Visible(Base(3) + 1));
        d.PressKey(name, VK_ESCAPE);

        // Numbers: letters do not get in; a text that is no number stays
        // open, all selected, and is reported.
        HWND count = Control(Base(4) + 1);
        d.PressKey(Control(Base(4)), VK_F2);
        d.PressCharacters(count, L"1a.5.5");
        EXPECT_EQ(d.Text(Base(4) + 1), "1.5.5");
        d.PressKey(count, VK_RETURN);
        reports.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Visible(Base(4) + 1));
        DWORD from = 1, to = 0;
        ::SendMessageW(count, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                       reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, 5u);
        // Leaving by Tab: reported once the focus has moved, and taken back.
        d.PressKey(count, VK_TAB);
        reports.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Visible(Base(4) + 1));
        EXPECT_EQ(d.Focus(), count);
        d.PressCharacters(count, L"-42");
        d.PressKey(count, VK_RETURN);
        EXPECT_FALSE(d.Visible(Base(4) + 1));
        EXPECT_EQ(d.Text(Base(4)), "件数 \"-42\"");

        // F2 toggles a check box; a radio button selects its pair.
        d.PressKey(Control(Base(1)), VK_F2);
        EXPECT_TRUE(d.Checked(Base(1)));
        d.Click(kFirstRadioId);
        EXPECT_TRUE(d.Checked(kFirstRadioId));
        EXPECT_FALSE(d.Checked(kFirstRadioId + 1));

        // OK with a box left open commits it, or keeps the dialog while it is
        // refused (reported once).
        d.PressKey(Control(Base(8)), VK_F2);
        d.Type(Base(8) + 1, "メモ");
        d.PressKey(Control(Base(4)), VK_F2);
        d.Type(Base(4) + 1, "1.5.5");
        DialogDriver dialog = Outer(d);
        dialog.Click(IDOK);
        reports.push_back(d.AnswerBox());
        EXPECT_TRUE(d.Exists());
        d.Type(Base(4) + 1, "7");
        dialog.Click(IDOK);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0], "Shift_JIS で表せない文字 (U+1F600) は使えません");
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(reports[i], "'1.5.5' は数値として読めません") << i;
    const std::string saved = Saved();
    for (const char* line : {"A=1\r\n", "B=1\r\n", "NAME=佐藤\r\n", "COUNT=7\r\n", "MEMO=メモ\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line;
}

TEST_F(WinPropertyPage, ChoosersTakeAJapanesePathAndTheWindowsColour) {
    Load(dialogs::expected::kItemsOfEveryKind);
    folder_.Write("記録/表示.log", "log");
    folder_.Write("記録/二つ目.txt", "log");
    const std::string first = folder_ / "記録/表示.log";
    const std::string second = folder_ / "記録/二つ目.txt";
    std::optional<COLORREF> preset;
    const auto result = Run([&](DialogDriver& d) {
        d.Click(Base(5) + 2);  // the picture
        EXPECT_TRUE(d.AnswerFileChooser(first));
        EXPECT_EQ(d.Text(Base(5)), "ログ(*.log;*.txt) \"" + first + "\"");
        d.PressKey(Control(Base(5)), VK_F2);  // F2 on the label
        EXPECT_TRUE(d.AnswerFileChooser(second));
        EXPECT_EQ(d.Text(Base(5)), "ログ(*.log;*.txt) \"" + second + "\"");

        d.ClickWindow(Control(Base(6)));
        preset = d.AnswerColourChooser(RGB(0xAB, 0xCD, 0xEF));
        EXPECT_EQ(d.Text(Base(6)), "背景色 \"EFCDAB\"");
        Outer(d).Click(IDOK);
        EXPECT_TRUE(d.Closed());
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(preset, RGB(0x12, 0x34, 0x56)) << "563412 holds blue, green, red";
    const std::string saved = Saved();
    EXPECT_NE(saved.find("LOG=" + second + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("COLOUR=EFCDAB\r\n"), std::string::npos);
}

TEST_F(WinPropertyPage, ALongPageScrollsByTheBarsStep) {
    std::string items = "[DIALOG]\r\n";
    for (int i = 0; i < 30; ++i) {
        char line[40];
        std::snprintf(line, sizeof line, "L%03d=T,K%d,caption %d\r\n", i, i, i);
        items += line;
    }
    Load(items);
    const auto result = Run(
        [&](DialogDriver& d) {
            RECT client{};
            ::GetClientRect(page_, &client);
            ASSERT_LT(client.bottom, 30 * 21);
            ASSERT_TRUE(::GetWindowLongPtrW(page_, GWL_STYLE) & WS_VSCROLL);
            EXPECT_EQ(page_window_->TextBoxWidth(), 340 - ::GetSystemMetrics(SM_CXVSCROLL));
            const int last = 30 * 21 - client.bottom;
            auto wheel = [&](int notches) {
                DWORD_PTR ignored = 0;
                ::SendMessageTimeoutW(page_, WM_MOUSEWHEEL, MAKEWPARAM(0, -120 * notches), 0,
                                      SMTO_NORMAL, 10000, &ignored);
            };
            wheel(1);
            EXPECT_EQ(ScrollPosition(), 21);
            EXPECT_EQ(Place(Base(1)).top, 0);
            for (int i = 0; i < 100; ++i) wheel(1);
            EXPECT_EQ(ScrollPosition(), last);
            wheel(-1);
            EXPECT_EQ(ScrollPosition(), last - 21);
            DWORD_PTR ignored = 0;
            ::SendMessageTimeoutW(page_, WM_VSCROLL, SB_TOP, 0, SMTO_NORMAL, 10000, &ignored);
            EXPECT_EQ(ScrollPosition(), 0);

            // Tab from the last label in view brings the next one into view.
            int below = 0;
            while (Place(Base(below)).bottom <= client.bottom) ++below;
            EXPECT_EQ(d.Focus(), Control(Base(0)));
            for (int i = 0; i < below; ++i) d.PressKey(Control(Base(i)), VK_TAB);
            EXPECT_EQ(d.Focus(), Control(Base(below)));
            EXPECT_EQ(Place(Base(below)).bottom, client.bottom);
            EXPECT_GT(ScrollPosition(), 0);
            Outer(d).Click(IDCANCEL);
        },
        120);
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
}  // namespace drwa::testing
