// The exports as a host sees them: the library is loaded with dlopen and
// reached only through its exported functions.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "common/limits.h"
#include "platform/shared_memory.h"
#include "support/plugin_loader.h"
#include "support/temp_folder.h"

namespace drwa {
namespace {

using testing::LoadedPlugin;
using testing::TempFolder;

class Exports : public ::testing::Test {
  protected:
    LoadedPlugin plugin;
    template <typename Fn>
    Fn* Get(const char* name) {
        return plugin.Get<Fn>(name);
    }
};

TEST_F(Exports, IdentityTextsAreExactBytesInBuffersOfTheirSize) {
    struct Case {
        const char* export_name;
        std::string expected;  // CP932
    } cases[] = {
        {"GetPluginName",
         "DRWA\x83\x76\x83\x89\x83\x4f\x83\x43\x83\x93\x83\x76\x83\x89\x83\x4f"
         "\x83\x43\x83\x93"},
        {"GetPluginVersion", "0.9\x83\xc0"},
    };
    for (const auto& c : cases) {
        char buf[64];
        std::memset(buf, '#', sizeof buf);
        int32_t n = Get<int32_t(char*)>(c.export_name)(buf);
        EXPECT_EQ(n, static_cast<int32_t>(c.expected.size())) << c.export_name;
        EXPECT_EQ(std::string(buf, c.expected.size()), c.expected) << c.export_name;
        EXPECT_EQ(buf[c.expected.size()], '\0');
        EXPECT_EQ(buf[c.expected.size() + 1], '#') << c.export_name << " wrote past its text";
    }
    EXPECT_EQ(Get<decltype(GetPluginName)>("GetPluginName")(nullptr), 24);

    char author[256] = {};
    int32_t n = Get<decltype(GetPluginAuthor)>("GetPluginAuthor")(author);
    EXPECT_GT(n, 0);
    EXPECT_EQ(static_cast<std::size_t>(n), std::strlen(author));
    EXPECT_EQ(std::strpbrk(author, "\r\n"), nullptr);  // a single line
}

TEST_F(Exports, MenuItemsAreFourEntriesEndedByCrLf) {
    char buf[128];
    std::memset(buf, '#', sizeof buf);
    ASSERT_EQ(Get<decltype(GetMenuItems)>("GetMenuItems")(0, 0, buf, 0, 0), 89);
    EXPECT_EQ(buf[89], '\0');
    std::string text(buf, 89);
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find("\r\n", at);
        ASSERT_NE(end, std::string::npos);
        entries.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"URLを開く", "フォルダを開く",
                                                 "（存在すれば）エラーログを開く",
                                                 "（存在すれば）送信ログを開く"}));
}

TEST_F(Exports, GroupColumnsFillSevenRecordsOf264Bytes) {
    GroupColumn cols[8];
    std::memset(cols, 0x5A, sizeof cols);
    ASSERT_EQ(Get<decltype(GetGroupColumns)>("GetGroupColumns")(0, cols), 0);
    struct Expected {
        int32_t format, width;
        std::string title;
    } expected[7] = {{0, 400, "掲示板"}, {1, 0, ""},           {1, 0, ""}, {1, 0, ""},
                     {2, 0, ""},         {1, 120, "既読位置"}, {0, 0, ""}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(cols[i].format, expected[i].format) << "column " << i + 1;
        EXPECT_EQ(cols[i].width, expected[i].width) << "column " << i + 1;
        EXPECT_EQ(std::string(cols[i].title), expected[i].title) << "column " << i + 1;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(cols);
    EXPECT_EQ(bytes[1848], 0x5A) << "more than 1848 bytes written";
}

TEST_F(Exports, AccountValuesWithTheirDefaults) {
    TempFolder dir;
    dir.Write("none.ini", "[SERVER]\r\n");
    dir.Write("set.ini", "[plugin]\r\nthread_count=$3\r\nGROUP_COUNT=2\r\n");
    auto threads = Get<decltype(ThreadSupported)>("ThreadSupported");
    auto count = Get<decltype(GetGroupCount)>("GetGroupCount");
    EXPECT_EQ(threads(0, (dir / "none.ini").c_str()), 1);
    EXPECT_EQ(count((dir / "none.ini").c_str()), 0);
    EXPECT_EQ(threads(0, (dir / "set.ini").c_str()), 3);
    EXPECT_EQ(count((dir / "set.ini").c_str()), 2);
    EXPECT_EQ(count((dir / "missing.ini").c_str()), 0);
}

TEST_F(Exports, AFailureIsReadBackUntilTheNextStatusExportClearsIt) {
    EXPECT_EQ(Get<decltype(GetGroupColumns)>("GetGroupColumns")(0, nullptr), 1);
    const std::string error = plugin.LastError();
    EXPECT_FALSE(error.empty());
    EXPECT_LE(error.size(), 255u);
    EXPECT_EQ(plugin.LastError(), error);  // reading does not clear

    // Records that are not the error record leave it alone.
    EXPECT_EQ(Get<decltype(SetDummyDomain)>("SetDummyDomain")("@x.invalid"), 0);
    EXPECT_EQ(Get<decltype(SetRecSendMode)>("SetRecSendMode")(1), 0);
    EXPECT_EQ(plugin.LastError(), error);

    TempFolder dir;
    EXPECT_EQ(Get<decltype(GetGroupCount)>("GetGroupCount")((dir / "a.ini").c_str()), 0);
    EXPECT_EQ(plugin.LastError(), "");
}

#ifdef _WIN32
// The records live in the file mapping named "HalvoDRWAPluginMem" + the DLL's
// module handle in decimal: any other reader of that name sees what the DLL
// wrote, and what it writes there the DLL reads back.
TEST_F(Exports, TheRecordsAreSharedThroughTheNamedMapping) {
    ASSERT_EQ(Get<decltype(SetDummyDomain)>("SetDummyDomain")("@named.invalid"), 0);
    const std::string name =
        "HalvoDRWAPluginMem" + std::to_string(reinterpret_cast<std::uintptr_t>(plugin.handle()));
    platform::SharedMemory block(name, limits::kBlockSize);
    std::int32_t length = 0;
    std::memcpy(&length, block.data() + limits::kDomainLengthOffset, 4);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(block.data()) + limits::kDomainTextOffset,
                          static_cast<std::size_t>(length)),
              "@named.invalid");

    const std::string error = "外から書いた";
    const std::int32_t size = static_cast<std::int32_t>(error.size());
    std::memcpy(block.data() + limits::kErrorLengthOffset, &size, 4);
    std::memcpy(block.data() + limits::kErrorTextOffset, error.data(), error.size());
    EXPECT_EQ(plugin.LastError(), error);
}
#endif

TEST(TwoLibraries, EachLoadedInstanceHasItsOwnBlock) {
    TempFolder dir;
    for (const char* copy : {"one.so", "two.so"})
        std::filesystem::copy_file(DRWA_PLUGIN_PATH, dir.native() / copy);
    LoadedPlugin one(dir / "one.so");
    LoadedPlugin two(dir / "two.so");
    ASSERT_NE(one.Symbol("GetGroupColumns"), two.Symbol("GetGroupColumns"));

    EXPECT_EQ(one.Get<decltype(GetGroupColumns)>("GetGroupColumns")(0, nullptr), 1);
    EXPECT_FALSE(one.LastError().empty());
    EXPECT_EQ(two.LastError(), "");
}

}  // namespace
}  // namespace drwa
