#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "common/limits.h"
#include "config/common_memory_stream.h"
#include "common/error.h"
#include "config/shared_records.h"
#include "platform/shared_memory.h"

namespace drwa::config {
namespace {

constexpr std::int32_t kSize = limits::kBlockSize;

TEST(CommonMemoryStream, ReadWriteAndSeekStayInsideTheBlock) {
    TCommonMemoryStream s("drwa-test-stream", kSize);
    const char five[5] = {1, 2, 3, 4, 5};
    char buf[8] = {};

    EXPECT_EQ(s.Seek(520, TCommonMemoryStream::kFromBeginning), 520);
    EXPECT_EQ(s.Write(five, 4), 4);  // the mode record: exactly to the end
    EXPECT_EQ(s.position(), 524);

    s.Seek(520, TCommonMemoryStream::kFromBeginning);
    try {
        s.Write(five, 5);
        FAIL() << "a write past the end succeeded";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "共有メモリを逸脱した書き込み");
    }
    EXPECT_EQ(s.position(), 520);  // nothing written, nothing moved

    EXPECT_EQ(s.Seek(0, TCommonMemoryStream::kFromEnd), 524);
    EXPECT_EQ(s.Read(buf, 4), 0);
    EXPECT_EQ(s.Seek(-2, TCommonMemoryStream::kFromCurrent), 522);
    EXPECT_EQ(s.Read(buf, 8), 2);  // fewer bytes at the end
    EXPECT_EQ(buf[0], 3);

    s.Seek(-1, TCommonMemoryStream::kFromBeginning);
    EXPECT_EQ(s.Read(buf, 1), 0);   // outside the block
    EXPECT_EQ(s.Write(five, 1), 0);  // position + count <= 0: nothing written
    s.Seek(0, TCommonMemoryStream::kFromBeginning);
    EXPECT_EQ(s.Write(five, 0), 0);
    EXPECT_EQ(s.Read(buf, -1), 0);
}

TEST(CommonMemoryStream, StreamsOfOneNameShareTheBlockUntilTheLastCloses) {
    const std::size_t before = platform::SharedMemory::LiveBlocks();
    {
        TCommonMemoryStream a("drwa-test-shared", kSize);
        TCommonMemoryStream b("drwa-test-shared", kSize);
        TCommonMemoryStream other("drwa-test-other", kSize);
        std::int32_t v = 42, got = 0, other_got = -1;
        a.Write(&v, 4);
        b.Read(&got, 4);
        other.Read(&other_got, 4);
        EXPECT_EQ(got, 42);
        EXPECT_EQ(other_got, 0);  // created zero-filled
        EXPECT_EQ(platform::SharedMemory::LiveBlocks(), before + 2);
    }
    EXPECT_EQ(platform::SharedMemory::LiveBlocks(), before);
    TCommonMemoryStream again("drwa-test-shared", kSize);
    std::int32_t got = -1;
    again.Read(&got, 4);
    EXPECT_EQ(got, 0);  // the old contents left with the last handle
}

TEST(CommonMemoryStream, NothingLandsInTheSystemsSharedMemoryFolder) {
    TCommonMemoryStream s(SharedBlockName(), kSize);
    for (const auto& e : std::filesystem::directory_iterator("/dev/shm"))
        EXPECT_EQ(e.path().filename().string().find("HalvoDRWAPluginMem"), std::string::npos);
}

// The records, with the block kept open as the loaded library keeps it.
class SharedRecords : public ::testing::Test {
protected:
    void SetUp() override { KeepSharedBlock(); }
    void TearDown() override { ReleaseSharedBlock(); }
};

TEST_F(SharedRecords, ErrorTextIsCappedAt255Bytes) {
    struct Case {
        std::string stored;
        std::string read;
    } cases[] = {
        {std::string(255, 'x'), std::string(255, 'x')},
        {std::string(300, 'y'), std::string(255, 'y')},
        {"", ""},
        // 254 bytes and a double-byte character: the character is left out
        // whole rather than cut after its lead byte.
        {std::string(254, 'z') + "表", std::string(254, 'z')},
    };
    for (const auto& c : cases) {
        StoreLastError(c.stored);
        EXPECT_EQ(ReadLastError(), c.read) << c.stored.size() << " bytes";
    }
}

TEST_F(SharedRecords, ForeignLengthsAreCappedOnRead) {
    TCommonMemoryStream s(SharedBlockName(), kSize);
    std::int32_t huge = 100000, negative = -3;
    s.Seek(limits::kErrorLengthOffset, 0);
    s.Write(&huge, 4);
    EXPECT_EQ(ReadLastError()->size(), 255u);
    s.Seek(limits::kDomainLengthOffset, 0);
    s.Write(&negative, 4);
    EXPECT_EQ(ReadDummyDomain(), kFallbackDomain);
}

TEST_F(SharedRecords, DomainAndMode) {
    EXPECT_EQ(ReadDummyDomain(), kFallbackDomain);
    EXPECT_EQ(kFallbackDomain.front(), '@');
    ASSERT_TRUE(StoreDummyDomain("@example.jp"));
    EXPECT_EQ(ReadDummyDomain(), "@example.jp");
    ASSERT_TRUE(StoreDummyDomain(""));
    EXPECT_EQ(ReadDummyDomain(), kFallbackDomain);

    EXPECT_EQ(ReadRecSendMode(), 0);
    ASSERT_TRUE(StoreRecSendMode(1));
    EXPECT_EQ(ReadRecSendMode(), 1);
}

TEST_F(SharedRecords, TheBlockIsNamedForTheModule) {
    const std::string name = SharedBlockName();
    ASSERT_EQ(name.rfind("HalvoDRWAPluginMem", 0), 0u);
    EXPECT_GT(std::stoull(name.substr(18)), 0u);
}

}  // namespace
}  // namespace drwa::config
