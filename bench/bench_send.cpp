// Sending, measured against curl's own command line: 100 mails posted to the
// board server of the tests on 127.0.0.1 through the library's SendAll export,
// beside 100 runs of the curl program making the same requests in the same run
// (the peer's process starts count on its side, as they would for a script
// that posts with curl). Goal: at most 1.2 times the peer's wall time.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "drwa_plugin.h"
#include "text/header_words.h"
#include "text/japanese_code.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kMails = 100;
constexpr int kRounds = 3;
constexpr const char* kGuid = "0BE7C4A2-5D1E-4F3A-9B8C-7D6E5F4A3B2C";
constexpr const char* kDomain = "@bench.invalid";
constexpr const char* kUserAgent =
    "Mozilla/3.0 (compatible; Indy Library)(kvt7r drwa-plugin-plugin)";

double Now() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void Write(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs a program and waits for it; its output goes to /dev/null.
int Run(std::vector<std::string> args, pid_t* keep = nullptr, int out_fd = -1) {
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    if (out_fd >= 0)
        posix_spawn_file_actions_adddup2(&fa, out_fd, 1);
    else
        posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int spawned = posix_spawnp(&pid, argv[0], &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    if (spawned != 0) return -1;
    if (keep) {
        *keep = pid;
        return 0;
    }
    int status;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The board server, answering every post with a short page.
struct Board {
    pid_t pid = -1;
    int port = 0;
    fs::path log;

    explicit Board(const fs::path& root) : log(root / "board.log") {
        int out[2];
        if (pipe2(out, O_CLOEXEC) != 0) return;
        Run({"python3", DRWA_SOURCE_DIR "/tests/support/board_server.py", "--log", log.string()},
            &pid, out[1]);
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') line += c;
        close(out[0]);
        port = std::atoi(line.c_str());
    }
    ~Board() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        int status;
        waitpid(pid, &status, 0);
    }
    // The body of the last request received.
    std::string LastBody() const {
        const std::string all = Read(log);
        const auto mark = all.rfind("REQUEST ");
        const auto head_end = all.find("\r\n\r\n", mark);
        return all.substr(head_end + 4, all.size() - head_end - 4 - 1);
    }
};

std::string Account(const fs::path& root, int port) {
    Write(root / "account.ini",
          "[PLUGIN]\r\nGROUP_COUNT=1\r\nTIMEOUT=30\r\n[00001]\r\nFOLDER_NAME=G\r\n");
    Write(root / "BBS" / "G" / "drwa_BBS.ini",
          "[BASIC]\r\nGUID=" + std::string(kGuid) + "\r\nURL=http://127.0.0.1:" +
              std::to_string(port) + "\r\nNAME=名無しさん\r\nEMAIL=sage\r\n");
    return (root / "account.ini").string();
}

// The outbox as the host leaves it: ISO-2022-JP mails answering the board.
void FillOutbox(const fs::path& root) {
    const std::string to =
        "To: \"POST,$C/test/bbs.cgi,bbs=bench&key=1234567890&FROM=$N&"
        "mail=$E&MESSAGE=$M&subject=$T&time=$Sd$St,\" <" +
        std::string(kGuid) + kDomain + ">";
    const std::string body = drwa::text::ConvertJapaneseCode(
        "ベンチマークの投稿です。\r\n二行目には表とソも入れます。\r\n.\r\n以上。\r\n",
        drwa::text::JapaneseCode::kIso2022Jp);
    for (int i = 0; i < kMails; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "vxq%04d.tmp", i);
        const std::string subject =
            drwa::text::EncodeHeaderLine("Subject: 速さの試し " + std::to_string(i));
        Write(root / "SMTP.BOX" / name,
              "From: user@example.jp\r\n" + to + "\r\n" + subject +
                  "\r\nDate: Mon, 6 May 2024 13:05:00 +0900\r\nMIME-Version: 1.0\r\n"
                  "Content-Type: text/plain; charset=ISO-2022-JP\r\n\r\n" +
                  body);
    }
}

}  // namespace

using namespace drwa;

int main() {
    const fs::path root =
        fs::temp_directory_path() / ("drwa-bench-send-" + std::to_string(getpid()));
    fs::create_directories(root);
    const Board board(root);
    if (board.port <= 0) {
        std::fprintf(stderr, "the board server did not start\n");
        return 1;
    }
    const std::string account = Account(root, board.port);

    void* library = dlopen(DRWA_PLUGIN_PATH, RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        std::fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    auto set_domain =
        reinterpret_cast<decltype(&::SetDummyDomain)>(dlsym(library, "SetDummyDomain"));
    auto send_all = reinterpret_cast<decltype(&::SendAll)>(dlsym(library, "SendAll"));
    if (!set_domain || !send_all) {
        std::fprintf(stderr, "the library has no SendAll\n");
        return 1;
    }
    set_domain(kDomain);

    const std::string url = "http://127.0.0.1:" + std::to_string(board.port) + "/test/bbs.cgi";
    double ours = 1e9, peer = 1e9;
    std::string body;
    for (int round = 0; round < kRounds; ++round) {
        FillOutbox(root);
        double t0 = Now();
        const int result = send_all(nullptr, account.c_str(), nullptr);
        ours = std::min(ours, Now() - t0);
        if (result != 0 || !fs::is_empty(root / "SMTP.BOX") || fs::exists(root / "spool")) {
            std::fprintf(stderr, "SendAll did not post every mail (result %d)\n", result);
            return 1;
        }
        body = board.LastBody();  // the very bytes the library posted

        t0 = Now();
        for (int i = 0; i < kMails; ++i)
            Run({"curl", "-s", "--noproxy", "*", "-o", "/dev/null", "-A", kUserAgent, "-H",
                 "Content-Type: application/x-www-form-urlencoded", "-H",
                 "Expect:", "--data-binary", body, url});
        peer = std::min(peer, Now() - t0);
    }
    std::printf(
        "%d posts to a board on 127.0.0.1 (best of %d): SendAll %.1f ms (%.2f ms a post), "
        "curl command line %.1f ms (%.2f ms a post), ratio %.2f (goal: at most 1.2)\n",
        kMails, kRounds, ours * 1e3, ours * 1e3 / kMails, peer * 1e3, peer * 1e3 / kMails,
        ours / peer);
    dlclose(library);
    std::error_code ec;
    fs::remove_all(root, ec);
    return 0;
}
