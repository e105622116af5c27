#include "support/board_server.h"

#ifdef _WIN32
#include "support/loopback_board.h"
#else
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <stdexcept>

#include "platform/files.h"

extern char** environ;
#endif

#include "config/ini_file.h"

namespace drwa::testing {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

}  // namespace

RecordedRequest ParseRecordedRequest(std::string raw) {
    RecordedRequest r;
    r.raw = std::move(raw);
    std::string_view rest = r.raw;
    auto next_line = [&] {
        const auto end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        return line;
    };
    const std::string_view request_line = next_line();
    const auto sp1 = request_line.find(' ');
    const auto sp2 = request_line.find(' ', sp1 + 1);
    r.method = request_line.substr(0, sp1);
    const std::string_view target = request_line.substr(sp1 + 1, sp2 - sp1 - 1);
    const auto question = target.find('?');
    r.path = target.substr(0, question);
    r.has_query = question != std::string_view::npos;
    if (r.has_query) r.query = target.substr(question + 1);
    for (std::string_view line = next_line(); !line.empty(); line = next_line()) {
        const auto colon = line.find(':');
        r.headers.emplace_back(line.substr(0, colon), Trim(line.substr(colon + 1)));
    }
    r.body = rest;
    return r;
}

std::string RecordedRequest::Header(std::string_view name) const {
    for (const auto& [n, v] : headers)
        if (config::SameTextNoCase(n, name)) return v;
    return {};
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    for (const auto& h : headers)
        if (config::SameTextNoCase(h.first, name)) return true;
    return false;
}

std::string BoardServer::Url(std::string_view path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(path);
}

#ifdef _WIN32

BoardServer::BoardServer(const TempFolder&, const std::string& plan) : BoardServer(plan) {}

BoardServer::BoardServer(const std::string& plan)
    : board_(std::make_unique<LoopbackBoard>(plan)), port_(board_->port()) {}

BoardServer::~BoardServer() = default;

std::vector<RecordedRequest> BoardServer::Requests() const {
    std::vector<RecordedRequest> requests;
    for (std::string& raw : board_->Requests())
        requests.push_back(ParseRecordedRequest(std::move(raw)));
    return requests;
}

int UnusedPort() {
    return LoopbackBoard::UnusedPort();
}

#else

BoardServer::BoardServer(const TempFolder& dir, const std::string& plan) {
    static std::atomic<int> next{0};
    const std::string name = "board_server" + std::to_string(next++);
    log_ = dir / (name + ".log");
    std::vector<std::string> args = {"python3", DRWA_SOURCE_DIR "/tests/support/board_server.py",
                                     "--log", platform::NativePath(log_).string()};
    if (!plan.empty()) {
        dir.Write(name + ".json", plan);
        args.insert(args.end(), {"--plan", platform::NativePath(dir / (name + ".json")).string()});
    }
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    const int spawned = posix_spawnp(&pid_, "python3", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
        ::close(out[0]);
        throw std::runtime_error("cannot start python3");
    }
    // The first line is the port; the pipe stays open but is never read again.
    std::string line;
    char c;
    while (::read(out[0], &c, 1) == 1 && c != '\n') line += c;
    ::close(out[0]);
    port_ = std::atoi(line.c_str());
    if (port_ <= 0) {
        Stop();
        throw std::runtime_error("the board server did not start");
    }
}

BoardServer::~BoardServer() {
    Stop();
}

void BoardServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::vector<RecordedRequest> BoardServer::Requests() const {
    const std::string log = platform::ReadFile(log_).value_or("");
    std::vector<RecordedRequest> requests;
    std::size_t at = 0;
    constexpr std::string_view kMark = "REQUEST ";
    while (log.compare(at, kMark.size(), kMark) == 0) {
        const auto end = log.find('\n', at);
        const std::size_t length = std::stoul(log.substr(at + kMark.size(), end - at));
        requests.push_back(ParseRecordedRequest(log.substr(end + 1, length)));
        at = end + 1 + length + 1;
    }
    return requests;
}

int UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    ::close(fd);
    return ntohs(a.sin_port);
}

#endif

}  // namespace drwa::testing
