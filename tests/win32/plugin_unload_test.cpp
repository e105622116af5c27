// The plugin DLL as a mail client loads and frees it: after a receive, the
// host's FreeLibrary unloads the module within moments (no thread of the
// library keeps it), its shared-memory block goes with it, and the next load
// starts on a fresh block. Built as a windowed program, as the mail client
// is: the library then has a console of its own to keep hidden.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/limits.h"
#include "drwa_plugin.h"
#include "support/temp_folder.h"

namespace {

constexpr wchar_t kDll[] = L"drwa_plugin.dll";

template <typename F>
F* Export(HMODULE dll, const char* name) {
    return reinterpret_cast<F*>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name)));
}

std::filesystem::path ProgramFolder() {
    wchar_t self[MAX_PATH];
    return std::filesystem::path(std::wstring(self, GetModuleFileNameW(nullptr, self, MAX_PATH)))
        .parent_path();
}

// "HalvoDRWAPluginMem" + the module handle in decimal, as another loader of
// the library finds the block; empty when there is no such block.
std::string ReadBlock(HMODULE module) {
    const std::wstring name =
        L"HalvoDRWAPluginMem" + std::to_wstring(reinterpret_cast<std::uintptr_t>(module));
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (!mapping) return {};
    std::string bytes;
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, drwa::limits::kBlockSize)) {
        bytes.assign(static_cast<const char*>(view), drwa::limits::kBlockSize);
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    return bytes;
}

// The block's bytes for a failure message: text as it is, other bytes in hex,
// runs of zeros counted.
std::string Shown(const std::string& bytes) {
    std::string out;
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] == '\0') {
            const std::size_t end = std::min(bytes.find_first_not_of('\0', i), bytes.size());
            char run[24];
            std::snprintf(run, sizeof run, "<%u zeros>", static_cast<unsigned>(end - i));
            out += run;
            i = end;
            continue;
        }
        const auto c = static_cast<unsigned char>(bytes[i++]);
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

// A one-group account whose plugin fetches nothing: the receive runs the
// plugin under the library's console and ends at once.
std::string OneGroupAccount(const drwa::testing::TempFolder& dir) {
    std::filesystem::create_directories(dir.native() / "plugins");
    std::filesystem::copy_file(ProgramFolder() / "nothing.exe",
                               dir.native() / "plugins" / "cm_NOTHING.EXE");
    dir.Write("acct/account.ini", "[PLUGIN]\r\nGROUP_COUNT=1\r\nDRWA_PLUGIN_FOLDER=" +
                                      (dir / "plugins/") + "\r\n[00001]\r\nFOLDER_NAME=group\r\n");
    dir.Write("acct/BBS/group/drwa_BBS.ini",
              "[BASIC]\r\nGUID=00000000-0000-0000-0000-000000000001\r\nBBSFOLDER=1\r\n"
              "LIB=NOTHING\r\nLIB_TYPE=3\r\nURL=http://127.0.0.1/board/\r\n");
    return dir / "acct/account.ini";
}

void DRWA_CALL Ignore(const char*, std::int32_t* abort_flag) {
    *abort_flag = 0;
}

TEST(WinPluginUnload, FreeLibraryAfterAReceiveTakesTheDllAndItsSharedBlock) {
    drwa::testing::TempFolder dir;
    const std::string account = OneGroupAccount(dir);

    HMODULE first = LoadLibraryW(kDll);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(Export<decltype(SetDummyDomain)>(first, "SetDummyDomain")("@first-load.invalid"), 0);
    EXPECT_EQ(Export<decltype(ReceiveAll)>(first, "ReceiveAll")(nullptr, account.c_str(), Ignore),
              0);
    ASSERT_FALSE(ReadBlock(first).empty()) << "no block under the name the host knows";

    const ULONGLONG freed = GetTickCount64();
    ASSERT_TRUE(FreeLibrary(first));
    while (GetModuleHandleW(kDll) && GetTickCount64() - freed < 2000) Sleep(10);
    const ULONGLONG took = GetTickCount64() - freed;
    EXPECT_EQ(GetModuleHandleW(kDll), nullptr) << "still loaded 2 s after FreeLibrary";
    EXPECT_TRUE(ReadBlock(first).empty()) << "the block outlived the library";
    RecordProperty("unload_ms", static_cast<int>(took));

    // Loaded again, the library holds only what was written since.
    HMODULE second = LoadLibraryW(kDll);
    ASSERT_NE(second, nullptr);
    const std::string domain = "@b.invalid";
    ASSERT_EQ(Export<decltype(SetDummyDomain)>(second, "SetDummyDomain")(domain.c_str()), 0);
    std::string expected(drwa::limits::kBlockSize, '\0');
    const auto length = static_cast<std::int32_t>(domain.size());
    std::memcpy(&expected[drwa::limits::kDomainLengthOffset], &length, sizeof length);
    expected.replace(drwa::limits::kDomainLengthOffset + sizeof length, domain.size(), domain);
    EXPECT_EQ(Shown(ReadBlock(second)), Shown(expected));
    EXPECT_TRUE(FreeLibrary(second));
}

}  // namespace
