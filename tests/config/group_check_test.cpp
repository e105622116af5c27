#include "config/group_check.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "config/group_fixture.h"
#include "text/filename_base64.h"

namespace drwa::config {
namespace {

using drwa::testing::GroupAccount;

constexpr std::string_view kDomain = "@dummy.invalid";
const std::string kOn = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70";
const std::string kOff = "0A0B0C0D-1111-2222-3333-444455556666";

// Two groups: ON (enabled, board cm_test.cmt) and OFF (disabled, same board).
struct TwoGroups : GroupAccount {
    TwoGroups();
};
TwoGroups::TwoGroups()
    : GroupAccount(
          "[PLUGIN]\r\nGROUP_COUNT=2\r\n[00001]\r\nFOLDER_NAME=OFF\r\n[00002]\r\nFOLDER_NAME="
          "ON\r\n") {
    GroupAccount& acc = *this;
    acc.AddGroup("ON", "GUID=" + kOn + "\r\nBBSFOLDER=1\r\n");
    acc.AddGroup("OFF", "GUID=" + kOff + "\r\nBBSFOLDER=0\r\n");
    acc.folder.Write("BBS/ON/cm_test.cmt", "");
    acc.folder.Write("BBS/OFF/cm_test.cmt", "");
    acc.folder.Write("BBS/ON/表示.cmt", "");
    acc.folder.Write("BBS/secret.cmt", "");  // the data folder, outside every group
    acc.folder.Write("account.cmt", "");
}

std::string Source(std::string_view base) {
    return text::EncodeFileNameBase64(base);
}

TEST(GroupCheck, AddressesOfTheAccountsGroups) {
    const TwoGroups acc;
    struct Case {
        const char* why;
        std::string address;
        bool belongs;
    } cases[] = {
        {"board file exists", "Y21fdGVzdA==." + kOn + "@dummy.invalid", true},
        {"domain in upper case", "Y21fdGVzdA==." + kOn + "@DUMMY.INVALID", true},
        {"domain given twice: every one is removed",
         "Y21fdGVzdA==." + kOn + "@dummy.invalid@Dummy.Invalid", true},
        {"board name with a 0x5C trail byte", Source("表示") + "." + kOn + "@dummy.invalid", true},
        {"no such board file", Source("cm_none") + "." + kOn + "@dummy.invalid", false},
        {"disabled group", "Y21fdGVzdA==." + kOff + "@dummy.invalid", false},
        {"no dot: the whole text is the GUID", kOn + "@dummy.invalid", true},
        {"no dot, disabled group", kOff + "@dummy.invalid", false},
        {"GUID compared with case",
         "Y21fdGVzdA==.6f1c2a4e-3b7d-4e8f-9a10-2b3c4d5e6f70@dummy.invalid", false},
        {"unknown GUID", "Y21fdGVzdA==.00000000-0000-0000-0000-000000000000@dummy.invalid", false},
        {"other domain stays part of the GUID", "Y21fdGVzdA==." + kOn + "@other.invalid", false},
        {"empty identity matches no group", "Y21fdGVzdA==.@dummy.invalid", false},
        {"only the domain", "@dummy.invalid", false},
        // Hostile source names: never looked up, whatever exists there.
        {"parent folder", Source("../secret") + "." + kOn + "@dummy.invalid", false},
        {"two levels up", Source("../../account") + "." + kOn + "@dummy.invalid", false},
        {"backslash", Source("..\\secret") + "." + kOn + "@dummy.invalid", false},
        {"absolute path", Source("/etc/passwd") + "." + kOn + "@dummy.invalid", false},
        {"into a subfolder", Source("sub/cm_test") + "." + kOn + "@dummy.invalid", false},
        {"dot dot alone", Source("..") + "." + kOn + "@dummy.invalid", false},
        {"NUL cuts the name", Source(std::string("cm_test\0x", 9)) + "." + kOn + "@dummy.invalid",
         false},
        {"no native form", Source("\x85\x40") + "." + kOn + "@dummy.invalid", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckGroup(acc.Account(), c.address, kDomain), c.belongs) << c.why;
}

TEST(GroupCheck, FirstGroupWithTheGuidDecides) {
    // A copied folder: both groups carry the same GUID, the first is disabled.
    GroupAccount acc(
        "[PLUGIN]\r\nGROUP_COUNT=2\r\n[00001]\r\nFOLDER_NAME=COPY\r\n[00002]\r\nFOLDER_NAME="
        "ON\r\n");
    acc.AddGroup("COPY", "GUID=" + kOn + "\r\nBBSFOLDER=0\r\n");
    acc.AddGroup("ON", "GUID=" + kOn + "\r\nBBSFOLDER=1\r\n");
    EXPECT_FALSE(CheckGroup(acc.Account(), kOn + std::string(kDomain), kDomain));
}

TEST(GroupCheck, SourceNameOfUnevenLengthIsAnError) {
    const TwoGroups acc;
    try {
        CheckGroup(acc.Account(), "abc." + kOn + "@dummy.invalid", kDomain);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "Uneven size in DecodeToStream.");
    }
}

TEST(GroupAddressParse, SplitAtTheFirstDot) {
    struct Case {
        std::string address, domain;
        std::optional<GroupAddress> expected;
    } cases[] = {
        {"Y21fdGVzdA==.G.H@d", "@d", GroupAddress{"G.H", "cm_test.cmt"}},
        {"G@d", "@D", GroupAddress{"G", ""}},
        {".G@d", "@d", GroupAddress{"G", ".cmt"}},  // empty source name: still one plain file
        {"G", "", GroupAddress{"G", ""}},           // no domain set: nothing removed
        // A domain byte pair inside a double-byte character is not the domain.
        {"\x95\x40\x41", "@A", GroupAddress{"\x95\x40\x41", ""}},
        {Source("a..b") + ".G", "@d", std::nullopt},
        {Source("a/b") + ".G", "@d", std::nullopt},
    };
    for (const auto& c : cases) {
        auto got = ParseGroupAddress(c.address, c.domain);
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.address;
        if (!got) continue;
        EXPECT_EQ(got->identity, c.expected->identity) << c.address;
        EXPECT_EQ(got->board_file, c.expected->board_file) << c.address;
    }
}

}  // namespace
}  // namespace drwa::config
