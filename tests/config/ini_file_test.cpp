#include "config/ini_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <filesystem>

#include "common/error.h"
#include "support/temp_folder.h"

namespace drwa::config {
namespace {

using drwa::testing::TempFolder;

struct ReadCase {
    const char* why;
    std::string file;
    const char* section;
    const char* key;
    std::string expected;
};

TEST(IniFileRead, FollowsThePrivateProfileRules) {
    const std::string long_value(3000, 'a');
    // 2046 ASCII bytes and a double-byte character across the 2047th byte.
    const std::string cut_in_char = std::string(2046, 'b') + "表";
    const ReadCase cases[] = {
        {"missing key gives the default", "[PLUGIN]\r\nA=1\r\n", "PLUGIN", "B", "dflt"},
        {"missing section gives the default", "[X]\r\nA=1\r\n", "PLUGIN", "A", "dflt"},
        {"section and key without regard to case", "[Plugin]\r\ngroup_count=3\r\n", "PLUGIN",
         "GROUP_COUNT", "3"},
        {"blanks around key and value", "[S]\r\n  K \t=  v a l  \r\n", "S", "K", "v a l"},
        {"one pair of double quotes removed", "[S]\r\nK=\"quoted \"\r\n", "S", "K", "quoted "},
        {"single quotes as well", "[S]\r\nK='x'\r\n", "S", "K", "x"},
        {"unmatched quote kept", "[S]\r\nK=\"x\r\n", "S", "K", "\"x"},
        {"equals sign inside the value", "[S]\r\nURL=http://a/?x=1&y=2\r\n", "S", "URL",
         "http://a/?x=1&y=2"},
        {"value cut at 2047 bytes", "[S]\r\nK=" + long_value + "\r\n", "S", "K",
         std::string(2047, 'a')},
        {"the cut never leaves half a character", "[S]\r\nK=" + cut_in_char + "\r\n", "S", "K",
         std::string(2046, 'b')},
        {"a trail byte 0x5C stays with its character", "[S]\r\nK=ソ表\\\r\n", "S", "K", "ソ表\\"},
        {"trail byte 'A' of ア is not the letter a", "[ア]\r\nK=1\r\n", "ャ", "K", "dflt"},
        {"double-byte section name found exactly", "[ア]\r\nK=1\r\n", "ア", "K", "1"},
        {"comment line is not a key", "[S]\r\n;K=1\r\n", "S", ";K", "dflt"},
        {"keys before the first section belong to none", "K=1\r\n[S]\r\n", "S", "K", "dflt"},
        {"the first of two equal sections wins", "[S]\r\nK=1\r\n[s]\r\nK=2\r\n", "S", "K", "1"},
        {"bare LF line ends", "[S]\nK=lf\n", "S", "K", "lf"},
        {"last line without line end", "[S]\r\nK=end", "S", "K", "end"},
        {"empty value is a value", "[S]\r\nK=\r\n", "S", "K", ""},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("a.ini", c.file);
        IniFile ini(dir / "a.ini");
        EXPECT_EQ(ini.ReadString(c.section, c.key, "dflt"), c.expected) << c.why;
    }
}

TEST(IniFileRead, MissingFileReadsAsDefaults) {
    TempFolder dir;
    IniFile ini(dir / "none.ini");
    EXPECT_EQ(ini.ReadString("A", "B", "d"), "d");
    EXPECT_EQ(ini.ReadInteger("A", "B", 7), 7);
    EXPECT_FALSE(ini.SectionExists("A"));
    EXPECT_TRUE(ini.ReadSections().empty());
}

TEST(IniFileRead, IntegersAndBooleans) {
    struct Case {
        const char* value;
        std::int32_t expected;  // with default 99
    } cases[] = {
        {"12", 12},         {"-5", -5},          {"$1F", 31},   {"0x1f", 31},
        {"0X10", 16},       {"-$10", -16},       {"$FFFFFFFF", -1},  // hex spells the 32 bits
        {"2147483647", 2147483647},              {"-2147483648", -2147483647 - 1},
        {"2147483648", 99},  // out of range: not a number
        {"$100000000", 99}, {"abc", 99},         {"12abc", 99}, {"1.5", 99},
        {"", 99},           {"0x", 99},          {"$", 99},     {" 7 ", 7},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("a.ini", std::string("[S]\r\nN=") + c.value + "\r\n");
        IniFile ini(dir / "a.ini");
        EXPECT_EQ(ini.ReadInteger("S", "N", 99), c.expected) << "value '" << c.value << "'";
    }

    TempFolder dir;
    dir.Write("g.ini", "[BASIC]\r\nA=2\r\nB=yes\r\nC=0\r\nD=$0\r\n");
    IniFile ini(dir / "g.ini");
    EXPECT_TRUE(ini.ReadBool("BASIC", "A", false));   // any number but 0 is true
    EXPECT_FALSE(ini.ReadBool("BASIC", "B", false));  // not a number: the default
    EXPECT_TRUE(ini.ReadBool("BASIC", "B", true));
    EXPECT_FALSE(ini.ReadBool("BASIC", "C", true));
    EXPECT_FALSE(ini.ReadBool("BASIC", "D", true));
    EXPECT_TRUE(ini.ReadBool("BASIC", "MISSING", true));
}

TEST(IniFileWrite, KeepsOtherLinesTheirOrderAndTheKeysSpelling) {
    TempFolder dir;
    dir.Write("a.ini", "; account\r\n[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n; tail\r\n");
    IniFile ini(dir / "a.ini");
    ini.WriteString("a", "Z", "3");       // new key: after the section's last line
    ini.WriteInteger("b", "Y", 5);        // existing key: replaced where it stands
    ini.WriteBool("C", "K", true);        // new section at the end
    ini.WriteString("A", "x", "表\\ソ");  // trail bytes 0x5C written as they are
    EXPECT_EQ(dir.Read("a.ini"),
              "; account\r\n[A]\r\nx=表\\ソ\r\nZ=3\r\n\r\n[B]\r\ny=5\r\n; tail\r\n[C]\r\nK=1\r\n");
    EXPECT_EQ(ini.ReadString("A", "X", ""), "表\\ソ");
    EXPECT_EQ(ini.ReadSection("a"), (std::vector<std::string>{"x", "Z"}));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"A", "B", "C"}));
}

TEST(IniFileWrite, CreatesDeletesAndKeepsLineEnds) {
    TempFolder dir;
    IniFile fresh(dir / "new.ini");
    fresh.WriteString("PLUGIN", "GROUP_COUNT", "2");
    EXPECT_EQ(dir.Read("new.ini"), "[PLUGIN]\r\nGROUP_COUNT=2\r\n");

    dir.Write("lf.ini", "[S]\nA=1\nB=2\n[T]\nC=3\n");
    IniFile lf(dir / "lf.ini");
    lf.DeleteKey("S", "a");
    lf.EraseSection("t");
    lf.WriteString("S", "D", "line one\r\nE=injected");  // a value never spans lines
    EXPECT_EQ(dir.Read("lf.ini"), "[S]\nB=2\nD=line one\n");
    EXPECT_FALSE(lf.ValueExists("S", "E"));

    // No file of the replacement is left beside the settings file.
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.native())) ++entries;
    EXPECT_EQ(entries, 2);
}

TEST(IniFileWrite, RefusedWriteFailsAndLeavesTheFileAsItWas) {
    TempFolder dir;
    const std::string before = "[S]\r\nK=1\r\n";
    dir.Write("ro.ini", before);
    namespace fs = std::filesystem;
    fs::permissions(dir.native() / "ro.ini",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    IniFile ini(dir / "ro.ini");
    try {
        ini.WriteString("S", "K", "2");
        FAIL() << "write to a read-only file succeeded";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), dir / "ro.ini" + " に書き込めません");
    }
    EXPECT_EQ(dir.Read("ro.ini"), before);
    EXPECT_EQ(ini.ReadString("S", "K", ""), "1");

    IniFile nowhere(dir / "missing/folder/x.ini");
    EXPECT_THROW(nowhere.WriteString("S", "K", "1"), Error);
}

TEST(IniFileWrite, SeesWhatAnotherProgramWroteMeanwhile) {
    TempFolder dir;
    dir.Write("g.ini", "[BASIC]\r\nPARAM2=10\r\n");
    IniFile ini(dir / "g.ini");
    EXPECT_EQ(ini.ReadString("BASIC", "PARAM2", ""), "10");
    // A plugin rewrites the file in place between two of our operations.
    dir.Write("g.ini", "[BASIC]\r\nPARAM2=25\r\nLAST=x\r\n");
    ini.WriteString("BASIC", "PROXY", "proxy:8080");
    EXPECT_EQ(dir.Read("g.ini"), "[BASIC]\r\nPARAM2=25\r\nLAST=x\r\nPROXY=proxy:8080\r\n");
}

}  // namespace
}  // namespace drwa::config
