// A receive whose conversion stops part-way (the disk full, the process
// killed), the mails written so far delivered out of the spool folder, then a
// receive that goes through: every article reaches the Maildir exactly once,
// with and without the number list. drwa-host does it all, as from cron.
#include <sys/wait.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa {
namespace {

namespace fs = std::filesystem;
using testing::EnabledGroup;
using testing::TempFolder;
using testing::WriteAccount;

std::string Quoted(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

int Shell(const std::string& script) {
    const int status = std::system(("sh -c " + Quoted(script)).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// How often each article number arrived in the Maildir.
std::map<int, int> ArticlesDelivered(const fs::path& maildir) {
    std::map<int, int> seen;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(maildir / "new", ec)) {
        const std::string mail = ReadAll(entry.path());
        const std::string key = "X-KVT7R-BBS-ARTICLE-NO: ";
        const std::size_t at = mail.find(key);
        ++seen[at == std::string::npos ? -1 : std::atoi(mail.c_str() + at + key.size())];
    }
    return seen;
}

// Each of the board's articles once, none missing, nothing else.
void ExpectEveryArticleOnce(const fs::path& maildir, int articles) {
    const std::map<int, int> seen = ArticlesDelivered(maildir);
    int wrong = 0;
    for (int n = 1; n <= articles; ++n) {
        const auto it = seen.find(n);
        const int times = it == seen.end() ? 0 : it->second;
        if (times != 1 && ++wrong <= 5)
            ADD_FAILURE() << "article " << n << " came " << times << "x";
    }
    EXPECT_EQ(seen.size(), static_cast<std::size_t>(articles));
}

class InterruptedReceive : public ::testing::Test {
  protected:
    TempFolder dir;

    // An account whose board has `articles` articles.
    void MakeAccount(bool save_number, int articles, bool forced = false) {
        const std::string more =
            "COUNT=" + std::to_string(articles) + "\r\nFORCED=" + (forced ? "1" : "0") +
            "\r\n[OPTION]\r\nSAVE_NUMBER=" + (save_number ? "1" : "0") + "\r\n";
        WriteAccount(dir, {EnabledGroup("G", "BOARD", more)});
    }

    // A shell prelude: into the test folder, H runs drwa-host on account A.
    std::string Prelude(const std::string& account_folder) const {
        return "set -u; cd " + Quoted(dir.native().string()) + "; H=" + Quoted(DRWA_HOST_PATH) +
               "; A=" + account_folder + "/account.ini; ";
    }

    // Nothing of the stopped conversion is left once a receive went through.
    void ExpectNoLeftovers(const std::string& account_folder) {
        for (const char* sub : {"BBS/G", "spool"}) {
            for (const auto& e : fs::directory_iterator(dir.native() / account_folder / sub)) {
                const std::string name = e.path().filename().string();
                EXPECT_FALSE(name.ends_with(".cmj") || name.ends_with(".part")) << name;
            }
        }
    }

    std::string Log(const char* name) { return ReadAll(dir.native() / name); }
};

class DiskFull : public InterruptedReceive, public ::testing::WithParamInterface<bool> {};

TEST_P(DiskFull, ThenDeliveredThenSpaceFreed) {
    if (Shell("unshare --user --map-root-user --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no private mount namespace here (unshare --user --map-root-user "
                        "--mount fails), so no small file system to fill";
    // The whole account on a file system of 1 MB: the plugin's article file
    // fits, its 600 mails (a page each) do not.
    const int articles = 600;
    MakeAccount(GetParam(), articles);
    const int rc = Shell(
        "unshare --user --map-root-user --mount sh -c " +
        Quoted(Prelude("mnt/acct") +
               "mkdir mnt && mount -t tmpfs -o size=1m tmpfs mnt && cp -r acct mnt/ || exit 90; "
               "$H --account $A receive > r1.log 2>&1; echo $? > r1.status; "
               "ls mnt/acct/spool | wc -l > r1.mails; "
               "$H --account $A deliver --maildir Maildir > d1.log 2>&1 || exit 91; "
               "mount -o remount,size=64m mnt || exit 92; "
               "$H --account $A receive > r2.log 2>&1 || exit 93; "
               "$H --account $A deliver --maildir Maildir > d2.log 2>&1 || exit 94; "
               "cp -r mnt/acct after"));
    ASSERT_EQ(rc, 0) << Log("r1.log") << Log("r2.log");
    EXPECT_NE(std::atoi(Log("r1.status").c_str()), 0) << "the first receive went through";
    const int written = std::atoi(Log("r1.mails").c_str());
    EXPECT_GT(written, 0);
    EXPECT_LT(written, articles);
    ExpectEveryArticleOnce(dir.native() / "Maildir", articles);
    ExpectNoLeftovers("after");
}

INSTANTIATE_TEST_SUITE_P(NumberList, DiskFull, ::testing::Bool());

struct KillPoint {
    bool save_number;
    const char* at;       // DRWA_KILL_AT: the call on whose entry the process dies
    bool forced = false;  // every article marked for delivery even when delivered before
};

class Killed : public InterruptedReceive, public ::testing::WithParamInterface<KillPoint> {};

TEST_P(Killed, ThenDeliveredThenReceivedAgain) {
    const int articles = 200;
    MakeAccount(GetParam().save_number, articles, GetParam().forced);
    const int rc =
        Shell(Prelude("acct") + "DRWA_KILL_AT=" + GetParam().at +
              " LD_PRELOAD=" + Quoted(DRWA_KILL_AT_CALL) +
              // The sanitizer build wants its runtime first; the preload goes before.
              " ASAN_OPTIONS=verify_asan_link_order=0 $H --account $A receive > r1.log 2>&1; "
              "echo $? > r1.status; ls acct/spool | wc -l > r1.mails; "
              "$H --account $A deliver --maildir Maildir > d1.log 2>&1 || exit 91; "
              "$H --account $A receive > r2.log 2>&1 || exit 93; "
              "$H --account $A deliver --maildir Maildir > d2.log 2>&1 || exit 94");
    ASSERT_EQ(rc, 0) << Log("r1.log") << Log("r2.log");
    EXPECT_EQ(std::atoi(Log("r1.status").c_str()), 128 + SIGKILL) << "not killed part-way";
    EXPECT_LT(std::atoi(Log("r1.mails").c_str()), articles);
    ExpectEveryArticleOnce(dir.native() / "Maildir", articles);
    ExpectNoLeftovers("acct");
}

// Each mail is written under a hidden name (a write), journaled (a write),
// then renamed: killed before a rename, before a journal line and before a
// mail's write, early and late.
INSTANTIATE_TEST_SUITE_P(
    AtCalls, Killed,
    ::testing::Values(KillPoint{false, "renameat2:1"}, KillPoint{false, "renameat2:100"},
                      KillPoint{true, "renameat2:100"}, KillPoint{false, "renameat2:200"},
                      KillPoint{false, "renameat2:100", true}, KillPoint{true, "write:102", true},
                      KillPoint{false, "write:101"}, KillPoint{false, "write:102"},
                      KillPoint{true, "write:101"}, KillPoint{true, "write:302"},
                      KillPoint{false, "write:303"}));

}  // namespace
}  // namespace drwa
