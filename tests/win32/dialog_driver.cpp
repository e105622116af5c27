#include "dialog_driver.h"

#include <gtest/gtest.h>

// after windows.h, which they need
#include <commctrl.h>
// the OLE types a lean windows.h leaves out, before GDI+ which needs them
#include <objidl.h>
// last
#include <gdiplus.h>
#include <shlobj.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <memory>
#include <thread>

#include "platform/win32/wide_text.h"

namespace drwa::testing {
namespace {

constexpr UINT kReplyWait = 10000;  // ms a dialog's thread gets to answer

std::wstring Wide(std::string_view cp932) {
    return platform::win32::TryCp932ToWide(cp932).value_or(L"");
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    ::GetClassNameW(window, name, 64);
    return name;
}

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

std::optional<DialogDriver> DialogDriver::Find(std::string_view caption, int wait_ms,
                                               const std::function<bool()>& give_up) {
    const std::wstring title = Wide(caption);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    do {
        if (HWND found = ::FindWindowW(L"#32770", title.c_str());
            found && ::IsWindowVisible(found)) {
            DialogDriver driver(found);
            driver.Barrier();
            return driver;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (!give_up() && std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

bool DialogDriver::Closed() const {
    for (int i = 0; i < 500 && Exists(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !Exists();
}

std::string DialogDriver::Text(int id) const {
    return platform::win32::ShowableName(TextOf(Item(id)));
}

bool DialogDriver::Checked(int id) const {
    DWORD_PTR state = 0;
    ::SendMessageTimeoutW(Item(id), BM_GETCHECK, 0, 0, SMTO_NORMAL, kReplyWait, &state);
    return state == BST_CHECKED;
}

// Under Wine the focus comes back to the dialog through the X server's focus
// events after a message box closes: for a moment no window has it. Waits
// that moment out (a dialog always keeps some control focused).
HWND DialogDriver::Focus() const {
    const DWORD thread = ::GetWindowThreadProcessId(dialog_, nullptr);
    GUITHREADINFO info{};
    for (int i = 0; i < 200; ++i) {
        info = GUITHREADINFO{};
        info.cbSize = sizeof info;
        ::GetGUIThreadInfo(thread, &info);
        if (info.hwndFocus) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return info.hwndFocus;
}

void DialogDriver::Type(int id, std::string_view cp932) {
    const std::wstring text = Wide(cp932);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(Item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_NORMAL, kReplyWait, &ignored);
    Barrier();
}

void DialogDriver::Click(int id) {
    // Not sent and waited for: a click that shows a message box returns only
    // when the box is answered, which is this thread's job.
    ::SendNotifyMessageW(Item(id), BM_CLICK, 0, 0);
    Barrier();
}

void DialogDriver::TypeCharacter(int id, wchar_t c) {
    HWND control = Item(id);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, EM_SETSEL, 0x7fffffff, 0x7fffffff, SMTO_NORMAL, kReplyWait,
                          &ignored);
    ::PostMessageW(control, WM_CHAR, c, 1);
}

void DialogDriver::ChoosePage(int tab_control_id, int page) {
    HWND tabs = Item(tab_control_id);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(tabs, TCM_SETCURSEL, static_cast<WPARAM>(page), 0, SMTO_NORMAL,
                          kReplyWait, &ignored);
    // What the tab strip tells its parent when the user picks a tab.
    NMHDR picked{tabs, static_cast<UINT_PTR>(tab_control_id), static_cast<UINT>(TCN_SELCHANGE)};
    ::SendMessageTimeoutW(dialog_, WM_NOTIFY, static_cast<WPARAM>(tab_control_id),
                          reinterpret_cast<LPARAM>(&picked), SMTO_NORMAL, kReplyWait, &ignored);
    Barrier();
}

void DialogDriver::Choose(int id, int index) {
    HWND list = Item(id);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_NORMAL,
                          kReplyWait, &ignored);
    // What the list tells its parent when the user picks an item; not waited
    // for, as a handler may bring up a message box.
    ::SendNotifyMessageW(dialog_, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(list));
    Barrier();
}

namespace {

struct BoxSearch {
    HWND owner;
    HWND box = nullptr;
};

BOOL CALLBACK FindBox(HWND w, LPARAM l) {
    auto* s = reinterpret_cast<BoxSearch*>(l);
    if (w == s->owner || ::GetWindow(w, GW_OWNER) != s->owner || ClassOf(w) != L"#32770")
        return TRUE;
    s->box = w;
    return FALSE;
}

// The box's message is its one static control with text (the icon has none).
BOOL CALLBACK FindMessage(HWND w, LPARAM l) {
    auto* text = reinterpret_cast<std::wstring*>(l);
    if (ClassOf(w) == L"Static" && text->empty()) *text = TextOf(w);
    return TRUE;
}

}  // namespace

HWND DialogDriver::Box() const {
    BoxSearch search{dialog_};
    ::EnumThreadWindows(::GetWindowThreadProcessId(dialog_, nullptr), FindBox,
                        reinterpret_cast<LPARAM>(&search));
    return search.box;
}

std::optional<std::string> DialogDriver::AnswerBox(int button) {
    HWND box = AwaitBox();
    if (!box) return std::nullopt;
    std::wstring message;
    ::EnumChildWindows(box, FindMessage, reinterpret_cast<LPARAM>(&message));
    ::PostMessageW(box, WM_COMMAND, static_cast<WPARAM>(button), 0);
    for (int i = 0; i < 500 && ::IsWindow(box); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Barrier();
    return platform::win32::ShowableName(message);
}

HWND DialogDriver::AwaitBox() const {
    HWND box = nullptr;
    for (int i = 0; i < 500 && !(box = Box()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    // Found as soon as its window exists: answered by its thread only once the
    // box is filled and its loop runs.
    DWORD_PTR ignored = 0;
    if (box) ::SendMessageTimeoutW(box, WM_NULL, 0, 0, SMTO_NORMAL, kReplyWait, &ignored);
    return box;
}

bool DialogDriver::AwaitGone(HWND window) const {
    for (int i = 0; i < 500 && ::IsWindow(window); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    Barrier();
    return !::IsWindow(window);
}

bool DialogDriver::AnswerFileChooser(std::string_view path) {
    HWND chooser = AwaitBox();
    if (!chooser) return false;
    // The name box: an edit of its own (edt1), or the edit inside the name
    // combo box (cmb13), itself a combo box inside an extended one.
    HWND name = ::GetDlgItem(chooser, 0x480);
    for (HWND box = ::GetDlgItem(chooser, 0x47c); box && !name;
         box = ::FindWindowExW(box, nullptr, L"ComboBox", nullptr))
        name = ::FindWindowExW(box, nullptr, L"Edit", nullptr);
    if (!name) return false;
    const std::wstring text = Wide(path);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL,
                          kReplyWait, &ignored);
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    return AwaitGone(chooser);
}

bool DialogDriver::AnswerFolderChooser(std::string_view folder) {
    HWND chooser = AwaitBox();
    if (!chooser) return false;
    const std::wstring text = Wide(folder);
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(chooser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(text.c_str()),
                          SMTO_NORMAL, kReplyWait, &ignored);
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    return AwaitGone(chooser);
}

std::optional<COLORREF> DialogDriver::AnswerColourChooser(COLORREF colour) {
    HWND chooser = AwaitBox();
    if (!chooser) return std::nullopt;
    // The boxes of the red, green and blue parts; typing into one sets the
    // chooser's colour.
    constexpr int kRed = 706, kGreen = 707, kBlue = 708;
    const COLORREF preset = RGB(::GetDlgItemInt(chooser, kRed, nullptr, FALSE),
                                ::GetDlgItemInt(chooser, kGreen, nullptr, FALSE),
                                ::GetDlgItemInt(chooser, kBlue, nullptr, FALSE));
    const std::pair<int, BYTE> parts[] = {
        {kRed, GetRValue(colour)}, {kGreen, GetGValue(colour)}, {kBlue, GetBValue(colour)}};
    for (const auto& [id, value] : parts) {
        const std::wstring text = std::to_wstring(value);
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutW(::GetDlgItem(chooser, id), WM_SETTEXT, 0,
                              reinterpret_cast<LPARAM>(text.c_str()), SMTO_NORMAL, kReplyWait,
                              &ignored);
    }
    ::PostMessageW(chooser, WM_COMMAND, IDOK, 0);
    if (!AwaitGone(chooser)) return std::nullopt;
    return preset;
}

void DialogDriver::CloseAll() {
    for (int i = 0; i < 5 && Exists(); ++i) {
        if (HWND box = Box()) ::PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
        ::PostMessageW(dialog_, WM_COMMAND, IDCANCEL, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}

void DialogDriver::Barrier() const {
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(dialog_, WM_NULL, 0, 0, SMTO_NORMAL, kReplyWait, &ignored);
}

std::optional<int> RunDialog(std::string_view caption, std::function<int()> host,
                             std::function<void(DialogDriver&)> user) {
    // Shared with the host thread, which may outlive this call when stuck.
    auto result = std::make_shared<std::promise<int>>();
    std::future<int> done = result->get_future();
    std::thread thread([result, host] { result->set_value(host()); });
    if (auto driver = DialogDriver::Find(caption, 20000, [&] {
            return done.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        })) {
        struct Closer {
            DialogDriver& d;
            ~Closer() { d.CloseAll(); }
        } closer{*driver};
        user(*driver);
    }
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
        // The host thread is stuck in a modal loop: the process ends with it.
        thread.detach();
        return std::nullopt;
    }
    thread.join();
    return done.get();
}

std::optional<int> RunWithoutDialog(std::function<int()> host) {
    return RunDialog("", std::move(host), [](DialogDriver& d) {
        ADD_FAILURE() << "a dialog was shown";
        d.CloseAll();
    });
}

DialogDriver DialogDriver::Within(HWND container) const {
    DialogDriver inside = *this;
    inside.controls_ = container;
    return inside;
}

namespace {

// Seen on the dialog's thread when its loop takes the marker posted after the
// messages: all those before it have been handled by then.
constexpr LPARAM kMarker = 0x5A4B4559;
HANDLE marker_seen = nullptr;

LRESULT CALLBACK SeeMarker(int code, WPARAM removed, LPARAM l) {
    const auto* message = reinterpret_cast<const MSG*>(l);
    if (code == HC_ACTION && removed == PM_REMOVE && message->message == WM_NULL &&
        message->lParam == kMarker && marker_seen)
        ::SetEvent(marker_seen);
    return ::CallNextHookEx(nullptr, code, removed, l);
}

}  // namespace

void DialogDriver::PostAndWait(HWND control, const std::vector<MSG>& messages) {
    marker_seen = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HHOOK hook = ::SetWindowsHookExW(WH_GETMESSAGE, SeeMarker, nullptr,
                                     ::GetWindowThreadProcessId(dialog_, nullptr));
    for (const MSG& m : messages) ::PostMessageW(control, m.message, m.wParam, m.lParam);
    ::PostMessageW(control, WM_NULL, 0, kMarker);
    if (hook) ::WaitForSingleObject(marker_seen, kReplyWait);
    if (hook) ::UnhookWindowsHookEx(hook);
    ::CloseHandle(marker_seen);
    marker_seen = nullptr;
    Barrier();
}

void DialogDriver::PressKey(HWND control, UINT virtual_key) {
    const LPARAM scan = static_cast<LPARAM>(::MapVirtualKeyW(virtual_key, MAPVK_VK_TO_VSC)) << 16;
    PostAndWait(
        control,
        {MSG{control, WM_KEYDOWN, virtual_key, 1 | scan, 0, {}},
         MSG{control, WM_KEYUP, virtual_key, static_cast<LPARAM>(1 | scan | 0xC0000000u), 0, {}}});
}

void DialogDriver::PressCharacters(HWND control, std::wstring_view characters) {
    std::vector<MSG> messages;
    for (wchar_t c : characters) messages.push_back(MSG{control, WM_CHAR, c, 1, 0, {}});
    PostAndWait(control, messages);
}

void DialogDriver::ClickWindow(HWND control) {
    RECT r{};
    ::GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    // Not waited for: a click may bring up a box, which this thread answers.
    ::SendNotifyMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendNotifyMessageW(control, WM_LBUTTONUP, 0, at);
    Barrier();
}

bool SaveScreenshot(HWND window, const std::wstring& png_path) {
    static const bool started = [] {
        ULONG_PTR token = 0;
        Gdiplus::GdiplusStartupInput input;
        return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
    }();
    if (!started) return false;
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The client area: the frame is the window manager's, which a test's X
    // server does not run (Wine's stand-in lacks the caption buttons' font).
    RECT r{};
    ::GetClientRect(window, &r);
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    ::SelectObject(memory, old);
    // The PNG encoder of GDI+.
    const CLSID png{0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    bool saved = false;
    {
        Gdiplus::Bitmap image(bitmap, nullptr);
        saved = image.Save(png_path.c_str(), &png, nullptr) == Gdiplus::Ok;
    }
    ::DeleteObject(bitmap);
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return saved;
}

void ScreenshotIfAsked(const DialogDriver& d, std::string_view name) {
    const char* folder = std::getenv("DRWA_SCREENSHOT_DIR");
    if (!folder) return;
    const std::wstring path = Wide(folder) + L"\\" + Wide(name) + L".png";
    EXPECT_TRUE(SaveScreenshot(d.window(), path)) << name;
}

}  // namespace drwa::testing
