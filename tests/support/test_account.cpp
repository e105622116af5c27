#include "support/test_account.h"

#include <algorithm>
#include <filesystem>

namespace drwa::testing {

TestGroup EnabledGroup(const std::string& folder, const std::string& plugin,
                       const std::string& more) {
    static int next = 0;
    char guid[40];
    std::snprintf(guid, sizeof guid, "00000000-0000-0000-0000-%012d", ++next);
    return {folder, "[BASIC]\r\nGUID=" + std::string(guid) + "\r\nBBSFOLDER=1\r\nLIB=" + plugin +
                        "\r\nLIB_TYPE=1\r\n" + more};
}

std::string WriteAccount(const TempFolder& dir, const std::vector<TestGroup>& groups,
                         const std::string& plugin_section, const std::string& name) {
    std::string ini = "[PLUGIN]\r\nGROUP_COUNT=" + std::to_string(groups.size()) +
                      "\r\nDRWA_PLUGIN_FOLDER=" DRWA_TEST_PLUGINS "\r\nPERL_EXE=perl\r\n" +
                      plugin_section;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        char section[32];
        std::snprintf(section, sizeof section, "[%05zu]\r\n", i + 1);
        ini += section;
        if (groups[i].folder.empty()) continue;
        ini += "FOLDER_NAME=" + groups[i].folder + "\r\n";
        dir.Write(name + "/BBS/" + groups[i].folder + "/drwa_BBS.ini", groups[i].settings);
    }
    dir.Write(name + "/account.ini", ini);
    return dir / (name + "/account.ini");
}

std::vector<std::string> SpoolMails(const TempFolder& dir, const std::string& name) {
    std::vector<std::string> mails;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir.native() / name / "spool", ec))
        if (e.path().extension() == ".eml") mails.push_back(e.path().string());
    std::sort(mails.begin(), mails.end());
    return mails;
}

}  // namespace drwa::testing
