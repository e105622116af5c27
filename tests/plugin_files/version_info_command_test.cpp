// drwa-tool version-info on a fixture: UTF-8 lines a plugin author can read,
// and a clear failure for a file without a version resource.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "support/temp_folder.h"

namespace {

struct Run {
    std::string out;
    int status;
};

Run Tool(const std::string& file) {
    const std::string command = DRWA_TOOL_PATH " version-info '" + file + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    Run run{"", -1};
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0;)
        run.out.append(buffer, n);
    run.status = WEXITSTATUS(pclose(pipe.release()));
    return run;
}

TEST(VersionInfoCommand, PrintsStringsAndFixedBlock) {
    const auto run = Tool(DRWA_TEST_DATA "/version_info/no_comments_unicode_pe32plus.dll");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, drwa::testing::Utf8("ProductVersion: 0.9\n"
                                           "CompanyName: 板屋\n"
                                           "OriginalFilename: cm_UNI.EXE\n"
                                           "FileDescription: Unicode 版\n"
                                           "FileVersion: 0.9.0.17\n"
                                           "InternalName: for ２ちゃん\n"
                                           "ProductName: UNI ??\n"
                                           "Comments: UnKnown\n"
                                           "LegalCopyright: by 誰か\n"
                                           "Signature: 0xfeef04bd\n"
                                           "StructVersion: 1.0\n"
                                           "FixedFileVersion: 0.9.0.17\n"
                                           "FixedProductVersion: 0.9.0.0\n"
                                           "FileFlagsMask: 0x0000003f\n"
                                           "FileFlags: 0x00000000\n"
                                           "FileOS: 0x00000004\n"
                                           "FileType: 0x00000001\n"
                                           "FileSubtype: 0x00000000\n"
                                           "FileDate: 0x0000000000000000\n"));
}

TEST(VersionInfoCommand, FailsWithoutResourceOrFile) {
    for (const char* file : {"no_resource.dll", "not_there.dll"}) {
        const auto run = Tool(std::string(DRWA_TEST_DATA "/version_info/") + file);
        EXPECT_EQ(run.status, 1) << file;
        EXPECT_EQ(run.out, "") << file;
    }
}

}  // namespace
