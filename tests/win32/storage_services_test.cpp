// System services of the Windows platform layer: the charset edge against
// the rows where CP932 tables differ, GUIDs, the local zone, the module,
// named shared memory seen from outside, MD5 and the account lock.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <set>

#include "platform/account_lock.h"
#include "platform/charset_edge.h"
#include "platform/digest.h"
#include "platform/shared_memory.h"
#include "platform/system.h"
#include "storage_fixture.h"

namespace drwa::platform {
namespace {

// The same pairs the iconv side gives on Linux (glibc's CP932).
TEST(WinCharsetEdge, AgreesWithIconvOnTheTrickyRows) {
    struct Case {
        const char *cp932, *utf8;
    } both_ways[] = {
        {"\x5C", "\\"},                // a backslash, not a yen sign
        {"\x7E", "~"},                 // a tilde, not an overline
        {"\x95\x5C", "\xE8\xA1\xA8"},  // 表: trail byte 0x5C
        {"\x87\x40", "\xE2\x91\xA0"},  // NEC row 13: ①
        {"\x81\xCA", "\xEF\xBF\xA2"},  // ￢
        {"\xFA\x40", "\xE2\x85\xB0"},  // IBM extension: ⅰ
        {"\xFA\x5C", "\xE7\xBA\x8A"},  // IBM extension 纊, trail byte 0x5C
        {"\x81\x5F", "\xEF\xBC\xBC"},  // full-width backslash
        {"\xB1", "\xEF\xBD\xB1"},      // half-width katakana
        {"\xF0\x40", "\xEE\x80\x80"},  // user-defined area -> private use
        {"", ""},
    };
    for (const auto& c : both_ways) {
        EXPECT_EQ(TryCp932ToUtf8(c.cp932), c.utf8) << c.utf8;
        EXPECT_EQ(TryUtf8ToCp932(c.utf8), c.cp932) << c.utf8;
    }
    // Duplicates read as the same character and are written in one form.
    struct OneWay {
        const char *cp932, *utf8;
    } reads[] = {
        {"\xED\x40", "\xE7\xBA\x8A"},  // NEC-selected IBM 纊 -> written as FA 5C
        {"\xFA\x54", "\xEF\xBF\xA2"},  // IBM ￢ -> written as 81 CA
        {"\x87\x9A", "\xE2\x88\xB5"},  // NEC ∵ (also FA 5B) -> written as 81 E6
        {"\x87\x90", "\xE2\x89\x92"},  // NEC ≒ -> written as JIS X 0208's 81 E0
    };
    for (const auto& c : reads) EXPECT_EQ(TryCp932ToUtf8(c.cp932), c.utf8) << c.utf8;
    EXPECT_EQ(TryUtf8ToCp932("\xE2\x88\xB5"), "\x81\xE6");
    EXPECT_EQ(TryUtf8ToCp932("\xE2\x89\x92"), "\x81\xE0");

    const char* not_cp932[] = {"\x81", "\x81\x20", "\x85\x40"};  // cut, bad trail, unassigned
    for (const char* s : not_cp932) EXPECT_FALSE(TryCp932ToUtf8(s)) << s;
    const char* not_utf8_or_sjis[] = {
        "\xFF",          // not UTF-8
        "\xC3\xA9",      // é: no CP932 form, and no best-fit "e"
        "\xED\xA0\x80",  // a surrogate half
    };
    for (const char* s : not_utf8_or_sjis) EXPECT_FALSE(TryUtf8ToCp932(s)) << s;
}

TEST(WinSystem, GuidShapeAndUniqueness) {
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) {
        const std::string g = NewGuid();
        ASSERT_EQ(g.size(), 36u);
        for (std::size_t at = 0; at < g.size(); ++at) {
            if (at == 8 || at == 13 || at == 18 || at == 23)
                ASSERT_EQ(g[at], '-') << g;
            else
                ASSERT_TRUE(std::isdigit(static_cast<unsigned char>(g[at])) ||
                            (g[at] >= 'A' && g[at] <= 'F'))
                    << g;
        }
        EXPECT_EQ(g[14], '4') << g;  // a random GUID
        seen.insert(g);
    }
    EXPECT_EQ(seen.size(), 200u);
}

// The offset agrees with the C runtime's idea of the zone and with the gap
// between the local and the UTC clock; under TZ (set by the test's runner)
// it is the zone's known offset.
TEST(WinSystem, LocalTimeCarriesTheZone) {
    const LocalTime now = LocalNow();
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(now.year);
    local.wMonth = static_cast<WORD>(now.month);
    local.wDay = static_cast<WORD>(now.day);
    local.wHour = static_cast<WORD>(now.hour);
    local.wMinute = static_cast<WORD>(now.minute);
    local.wSecond = static_cast<WORD>(now.second);
    auto seconds = [](const SYSTEMTIME& t) {
        FILETIME f{};
        SystemTimeToFileTime(&t, &f);
        return static_cast<long long>(
            (static_cast<unsigned long long>(f.dwHighDateTime) << 32 | f.dwLowDateTime) /
            10000000ULL);
    };
    const long long gap = seconds(local) - seconds(utc);
    // Rounded to the quarter hour: the clock may tick between the two reads.
    EXPECT_EQ((gap + (gap >= 0 ? 450 : -450)) / 900 * 900, now.utc_offset_seconds);
    _tzset();
    // The runtime's _timezone is the standard bias in seconds, west positive.
    if (!_daylight) {
        EXPECT_EQ(-_timezone, now.utc_offset_seconds);
    }
    if (const char* expected = std::getenv("DRWA_EXPECT_UTC_OFFSET")) {
        EXPECT_EQ(now.utc_offset_seconds, std::atol(expected));
    }
    EXPECT_GE(now.year, 2024);
    EXPECT_LE(now.weekday, 6);

    const std::uint64_t start = MonotonicMs();
    SleepMs(100);
    EXPECT_GE(MonotonicMs() - start, 80u);  // the tick counts in steps of ~16 ms
}

TEST(WinSystem, TheModuleIsOurs) {
    // Linked into a program, the module is the program itself.
    EXPECT_EQ(ModuleHandle(), reinterpret_cast<std::uintptr_t>(GetModuleHandleW(nullptr)));
    const std::string path = ModulePath();
    ASSERT_GE(path.size(), 16u);
    EXPECT_EQ(path.substr(path.size() - 16), "storage_test.exe");
    KeepModuleLoaded();  // pinning a program changes nothing
}

// An export of a loaded DLL as the function type it has.
template <typename F>
F Export(HMODULE dll, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

// Loaded as a DLL, the layer names the DLL, not the program: the module
// handle the shared-memory name is made of, and the path beside which the
// plugin's settings are looked for. A DLL has its own registry of blocks, yet
// joins the block the program holds by its name.
TEST(WinSystem, TheModuleInsideADll) {
    testing::WideTempFolder tmp;
    ASSERT_TRUE(CreateDirectoryW(tmp.Wide(L"表示").c_str(), nullptr));
    const std::wstring copy = tmp.Wide(L"表示\\probe.dll");
    wchar_t exe[MAX_PATH];
    std::wstring beside(exe, GetModuleFileNameW(nullptr, exe, MAX_PATH));
    beside.resize(beside.rfind(L'\\') + 1);
    ASSERT_TRUE(CopyFileW((beside + L"storage_module_probe.dll").c_str(), copy.c_str(), TRUE));
    HMODULE dll = LoadLibraryW(copy.c_str());
    ASSERT_NE(dll, nullptr);
    auto handle = Export<std::uintptr_t (*)()>(dll, "ProbeModuleHandle");
    auto path = Export<int (*)(char*, int)>(dll, "ProbeModulePath");
    auto shared = Export<int (*)(const char*, int)>(dll, "ProbeSharedByte");
    ASSERT_TRUE(handle && path && shared);
    EXPECT_EQ(handle(), reinterpret_cast<std::uintptr_t>(dll));
    char text[1024];
    ASSERT_GT(path(text, sizeof text), 0);
    EXPECT_EQ(std::string(text), tmp / "表示\\probe.dll");

    const std::string name = "DrwaProbeBlock" + std::to_string(GetCurrentProcessId());
    {
        SharedMemory ours(name, 524);
        ours.data()[5] = 0x77;
        EXPECT_EQ(shared(name.c_str(), 5), 0x77);
        EXPECT_EQ(ours.data()[6], 1);
    }
    FreeLibrary(dll);
    EXPECT_EQ(GetModuleHandleW(copy.c_str()), nullptr);  // unloaded: not pinned

    // Pinned, the DLL outlives its unloading by the host.
    HMODULE pinned = LoadLibraryW(L"storage_module_probe.dll");
    ASSERT_NE(pinned, nullptr);
    Export<void (*)()>(pinned, "ProbeKeepLoaded")();
    FreeLibrary(pinned);
    EXPECT_EQ(GetModuleHandleW(L"storage_module_probe.dll"), pinned);
}

TEST(WinSharedMemory, NamedMappingSeenFromOutsideUntilTheLastHandle) {
    const std::string name = "DrwaStorageTest" + std::to_string(GetCurrentProcessId());
    const std::wstring wide(name.begin(), name.end());
    const std::size_t before = SharedMemory::LiveBlocks();
    {
        SharedMemory first(name, 524);
        EXPECT_EQ(first.data()[0], 0);
        EXPECT_EQ(first.data()[523], 0);
        first.data()[10] = 0x5A;
        SharedMemory second(name, 100);  // joins the block as it is
        EXPECT_EQ(second.data(), first.data());
        EXPECT_EQ(second.size(), 524u);
        EXPECT_EQ(SharedMemory::LiveBlocks(), before + 1);

        // Another loader of the library finds the block by its name alone.
        HANDLE other = OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, wide.c_str());
        ASSERT_NE(other, nullptr);
        auto* view =
            static_cast<unsigned char*>(MapViewOfFile(other, FILE_MAP_ALL_ACCESS, 0, 0, 524));
        ASSERT_NE(view, nullptr);
        EXPECT_EQ(view[10], 0x5A);
        view[11] = 0xA5;
        EXPECT_EQ(first.data()[11], 0xA5);
        UnmapViewOfFile(view);
        CloseHandle(other);
    }
    EXPECT_EQ(SharedMemory::LiveBlocks(), before);
    EXPECT_EQ(OpenFileMappingW(FILE_MAP_READ, FALSE, wide.c_str()), nullptr);
    SharedMemory again(name, 524);  // a new block starts zero-filled
    EXPECT_EQ(again.data()[10], 0);
}

TEST(WinDigest, Md5) {
    EXPECT_EQ(Md5UpperHex(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_EQ(Md5UpperHex("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(Md5UpperHex(std::string(1000000, 'a')), "7707D6AE4E027C70EEA2A935C2296F21");
}

TEST(WinAccountLock, TryFailsWhileHeld) {
    testing::WideTempFolder tmp;
    const std::string account = tmp / "表.ini";
    auto held = AccountLock::TryAcquire(account);
    ASSERT_TRUE(held);
    EXPECT_NE(GetFileAttributesW(tmp.Wide(L"表.ini.lock").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(AccountLock::TryAcquire(account));  // a second handle, same process
    AccountLock moved = std::move(*held);
    held.reset();
    EXPECT_FALSE(AccountLock::TryAcquire(account));  // the move kept the lock
    { AccountLock gone = std::move(moved); }
    auto again = AccountLock::TryAcquire(account);
    EXPECT_TRUE(again);
    again.reset();
    AccountLock waited = AccountLock::Acquire(account);
    EXPECT_THROW(AccountLock::Acquire(tmp / "無い\\a.ini"), std::system_error);
}

}  // namespace
}  // namespace drwa::platform
