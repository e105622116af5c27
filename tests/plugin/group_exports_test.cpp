// The group exports as a host calls them: through the loaded library, with
// the error record telling failures from answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "config/group_fixture.h"
#include "support/plugin_loader.h"
#include "text/filename_base64.h"

namespace drwa {
namespace {

using testing::GroupAccount;
using testing::LoadedPlugin;

constexpr const char* kGuid = "6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70";

struct Account : GroupAccount {
    Account()
        : GroupAccount(
              "[PLUGIN]\r\nGROUP_COUNT=3\r\n[00001]\r\nFOLDER_NAME=NEWS\r\n"
              "[00002]\r\nFOLDER_NAME=雑談\r\n[00003]\r\nFOLDER_NAME=GONE\r\n") {
        AddGroup("NEWS", std::string("GUID=") + kGuid + "\r\nBBSFOLDER=2\r\nPARAM2=1234\r\n");
        AddGroup("雑談", "BBSFOLDER=yes\r\n");
        folder.Write("BBS/NEWS/cm_test.cmt", "");
    }
};

class GroupExports : public ::testing::Test {
  protected:
    LoadedPlugin plugin;
    Account acc;
    std::string path = acc.AccountPath();

    int32_t Property(int32_t index, char (&name)[300], char (&text2)[300]) {
        char text1[300], text3[300];
        std::memset(text1, '#', sizeof text1);
        std::memset(text3, '#', sizeof text3);
        int32_t n[3] = {7, 7, 7};
        int32_t r = plugin.Get<decltype(GetGroupProperty)>("GetGroupProperty")(
            path.c_str(), index, name, &n[0], &n[1], &n[2], text1, text2, text3);
        EXPECT_EQ(n[0] + n[1] + n[2], 0) << "the three numbers are always 0";
        EXPECT_EQ(text1[0], '\0');
        EXPECT_EQ(text3[0], '\0');
        return r;
    }
};

TEST_F(GroupExports, PropertyGivesNameAndReadPosition) {
    char name[300], text2[300];
    ASSERT_EQ(Property(0, name, text2), 0);
    EXPECT_STREQ(name, "NEWS");
    EXPECT_STREQ(text2, "1234");
    ASSERT_EQ(Property(1, name, text2), 0);
    EXPECT_STREQ(name, "雑談");
    EXPECT_STREQ(text2, "");
    ASSERT_EQ(Property(7, name, text2), 0) << "an index without a group is no failure";
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(text2, "");
}

TEST_F(GroupExports, LongReadPositionIsCutWithoutSplittingACharacter) {
    // 127 double-byte characters are 254 bytes; one more would need 256.
    std::string value(1, 'x');
    for (int i = 0; i < 150; ++i) value += "表";
    acc.AddGroup("NEWS", "PARAM2=" + value + "\r\n");
    char name[300], text2[300];
    std::memset(text2, '#', sizeof text2);
    ASSERT_EQ(Property(0, name, text2), 0);
    EXPECT_EQ(std::strlen(text2), 255u);
    EXPECT_EQ(std::string(text2), value.substr(0, 255));

    acc.AddGroup("NEWS", "PARAM2=" + value.substr(1) + "\r\n");
    ASSERT_EQ(Property(0, name, text2), 0);
    EXPECT_EQ(std::strlen(text2), 254u) << "half of a character was copied";
}

TEST_F(GroupExports, EnabledFlagsAndTheirFailures) {
    auto get = plugin.Get<decltype(GetGroupEnabled)>("GetGroupEnabled");
    auto set = plugin.Get<decltype(SetGroupEnabled)>("SetGroupEnabled");
    EXPECT_EQ(get(path.c_str(), 0), 1);  // BBSFOLDER=2
    EXPECT_EQ(get(path.c_str(), 1), 0);  // BBSFOLDER=yes

    const int32_t stop_at_seven[] = {1, 7, 0};
    ASSERT_EQ(set(path.c_str(), stop_at_seven, 3, 1), 0);
    EXPECT_EQ(get(path.c_str(), 1), 1);
    EXPECT_EQ(acc.GroupSetting("NEWS", "BBSFOLDER"), "2") << "after the stop: unchanged";

    const int32_t gone[] = {2};
    EXPECT_EQ(set(path.c_str(), gone, 1, 0), 1);
    EXPECT_NE(plugin.LastError().find("に書き込めません"), std::string::npos) << plugin.LastError();
    EXPECT_EQ(set(path.c_str(), nullptr, 0, 0), 0);
    EXPECT_EQ(plugin.LastError(), "") << "the next success clears the error";
    EXPECT_EQ(set(path.c_str(), nullptr, 2, 0), 1) << "a count without a list";
}

TEST_F(GroupExports, CheckGroupUsesTheHostsDummyDomain) {
    ASSERT_EQ(plugin.Get<decltype(SetDummyDomain)>("SetDummyDomain")("@host.invalid"), 0);
    auto check = [&](const std::string& address) {
        return plugin.Get<decltype(CheckGroup)>("CheckGroup")(path.c_str(), address.c_str());
    };
    const std::string guid = kGuid;
    EXPECT_EQ(check("Y21fdGVzdA==." + guid + "@HOST.invalid"), 1);
    EXPECT_EQ(check("Y21fdGVzdA==." + guid + "@drwa-plugin.invalid"), 0) << "not the set domain";
    const std::string hostile = text::EncodeFileNameBase64("../NEWS/cm_test");
    EXPECT_EQ(check(hostile + "." + guid + "@host.invalid"), 0);
    EXPECT_EQ(plugin.LastError(), "") << "a hostile address is an answer, not a failure";
    EXPECT_EQ(check("abc." + guid + "@host.invalid"), 0);
    EXPECT_EQ(plugin.LastError(), "Uneven size in DecodeToStream.");
    EXPECT_EQ(plugin.Get<decltype(CheckGroup)>("CheckGroup")(path.c_str(), nullptr), 0);
}

}  // namespace
}  // namespace drwa
