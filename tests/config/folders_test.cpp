#include "config/folders.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "support/temp_folder.h"

namespace drwa::config {
namespace {

using drwa::testing::TempFolder;

#ifdef _WIN32
const std::string kRoot = "C:\\";
#else
const std::string kRoot = "/";
#endif

// A test path written with "/" in the platform's own delimiters ("/" is never
// a byte of a double-byte character).
std::string N(std::string path) {
    for (char& c : path)
        if (c == '/') c = platform::kPathDelimiter;
    return path;
}

TEST(Folders, FolderOfAFile) {
    EXPECT_EQ(FolderOfFile(N("/home/u/mail/account.ini")), N("/home/u/mail"));
    EXPECT_EQ(FolderOfFile(kRoot + "account.ini"), kRoot);  // the root keeps its delimiter
    EXPECT_EQ(FolderOfFile("account.ini"), ".");
    EXPECT_EQ(FolderOfFile(N("/表/a.ini")), N("/表"));  // 0x5C trail byte is no delimiter anywhere
}

TEST(Folders, DataAndSpoolFolderFollowTheServerSection) {
    struct Case {
        const char* why;
        std::string server;  // the [SERVER] section's lines
        std::string data;    // expected, relative to the account folder when starting with "~"
        std::string spool;
    } cases[] = {
        {"no server section: the account folder", "", "~/BBS/", "~/spool/"},
        {"SPECIFYFOLDER without DATAFOLDER: the account folder", "SPECIFYFOLDER=1\r\n", "~/BBS/",
         "~/spool/"},
        {"DATAFOLDER with its delimiter: none doubled",
         "SPECIFYFOLDER=1\r\nDATAFOLDER=" + N("/mail/") + "\r\n", "/mail/BBS/", "/mail/spool/"},
        {"DATAFOLDER without delimiter", "SPECIFYFOLDER=1\r\nDATAFOLDER=" + N("/mail") + "\r\n",
         "/mail/BBS/", "/mail/spool/"},
        {"DATAFOLDER ignored unless chosen", "SPECIFYFOLDER=0\r\nDATAFOLDER=/mail\r\n", "~/BBS/",
         "~/spool/"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("account.ini", "[SERVER]\r\n" + c.server);
        IniFile account(dir / "account.ini");
        auto expand = [&](const std::string& s) {
            return N(s[0] == '~' ? dir.path() + s.substr(1) : s);
        };
        EXPECT_EQ(GetDataFolder(account), expand(c.data)) << c.why;
        EXPECT_EQ(GetSpoolFolder(account), expand(c.spool)) << c.why;
    }
    TempFolder dir;
    dir.Write("account.ini", "[SERVER]\r\nSPECIFYFOLDER=1\r\nDATAFOLDER=" + kRoot + "\r\n");
    EXPECT_EQ(GetDataFolder(IniFile(dir / "account.ini")), N(kRoot + "BBS/"))
        << "the root as data folder";
    IniFile at_root(kRoot + "account.ini");
    EXPECT_EQ(GetDataFolder(at_root), N(kRoot + "BBS/"));
}

TEST(Folders, GroupNamesAndSections) {
    // "表" is 0x95 0x5C: its trail byte is not the level separator.
    EXPECT_EQ(StoredToNativeName("NEWS\\表\\SUB"), N("NEWS/表/SUB"));
    EXPECT_EQ(NativeToStoredName(N("NEWS/表/SUB")), "NEWS\\表\\SUB");
    EXPECT_EQ(GroupFolder(N("/d/BBS/"), "A\\B"), N("/d/BBS/A/B"));
    EXPECT_EQ(GroupSection(1), "00001");
    EXPECT_EQ(GroupSection(7), "00007");
    EXPECT_EQ(GroupSection(100000), "100000");
    const std::string module_ini = ModuleSettingsPath();
    EXPECT_EQ(module_ini.substr(module_ini.size() - 4), ".ini");
}

}  // namespace
}  // namespace drwa::config
