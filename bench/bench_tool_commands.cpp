// drwa-tool's charset commands as whole commands, beside the iconv and nkf
// commands on the same input: some 20 MB of real text (the skkdic dictionary,
// repeated), given through standard input and as a file argument, the output
// thrown away. Each figure is the processor time (user + system) of the
// command's process, the best of a few runs; all come from this one run.
//
// usage: bench_tool_commands [DICTIONARY [TOOL]]
//   DICTIONARY: default /usr/share/skk/SKK-JISYO.L
//   TOOL: another drwa-tool to measure (an earlier build, say)
// Goal: through standard input, drwa-tool convert at least 2 times as fast as
// iconv and 10 times as fast as nkf on the dictionary text.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench_files.h"
#include "text/japanese_code.h"

extern char** environ;

namespace {

using drwa::text::JapaneseCode;

constexpr std::size_t kMinimumSize = 20 * 1000 * 1000;
constexpr int kRepetitions = 5;

using drwa::bench::ReadFile;
using drwa::bench::WriteFile;

// Processor time of one run of `argv`, its standard input from `input` (or
// none), its standard output into /dev/null.
double CommandSeconds(const std::vector<std::string>& argv, const std::string& input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.empty() ? "/dev/null" : input.c_str(),
                                     O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(argv[0] + " failed");
    auto seconds = [](const timeval& v) {
        return static_cast<double>(v.tv_sec) + static_cast<double>(v.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Best throughput over the repetitions, in MB/s of `bytes`.
double MegabytesPerSecond(std::size_t bytes, const std::vector<std::string>& argv,
                          const std::string& input) {
    double best = 1e30;
    for (int i = 0; i < kRepetitions; ++i) best = std::min(best, CommandSeconds(argv, input));
    return static_cast<double>(bytes) / std::max(best, 1e-4) / 1e6;
}

struct Peer {
    std::vector<std::string> iconv;  // empty: no such command
    std::vector<std::string> nkf;
};

struct Command {
    const char* what;
    const char* file;         // in the work folder
    const std::string* text;  // its bytes
    std::vector<std::string> ours;
    Peer peers;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string dictionary = argc > 1 ? argv[1] : "/usr/share/skk/SKK-JISYO.L";
    const std::string one = ReadFile(dictionary);
    std::string euc;
    while (euc.size() < kMinimumSize) euc += one;
    const std::string sjis = drwa::text::ConvertJapaneseCode(euc, JapaneseCode::kShiftJis);
    const std::string jis = drwa::text::ConvertJapaneseCode(euc, JapaneseCode::kIso2022Jp);

    const std::string folder = "/tmp/drwa_bench_tool_commands." + std::to_string(getpid());
    std::system(("mkdir -p " + folder).c_str());
    WriteFile(folder + "/text.euc", euc);
    WriteFile(folder + "/text.sjis", sjis);
    WriteFile(folder + "/text.jis", jis);

    const std::string tool = argc > 2 ? argv[2] : DRWA_TOOL;
    // glibc's CP932 cannot write a few characters (the wave dash) in its
    // ISO-2022-JP: it reads the same bytes as SHIFT_JIS there.
    const Command commands[] = {
        {"convert EUC-JP -> Shift_JIS",
         "text.euc",
         &euc,
         {tool, "convert", "--to", "5"},
         {{"iconv", "-f", "EUC-JP", "-t", "CP932"}, {"nkf", "-s"}}},
        {"convert Shift_JIS -> ISO-2022-JP",
         "text.sjis",
         &sjis,
         {tool, "convert", "--to", "2"},
         {{"iconv", "-f", "SHIFT_JIS", "-t", "ISO-2022-JP"}, {"nkf", "-j"}}},
        {"convert ISO-2022-JP -> Shift_JIS",
         "text.jis",
         &jis,
         {tool, "convert", "--to", "5"},
         {{"iconv", "-f", "ISO-2022-JP", "-t", "CP932"}, {"nkf", "-s"}}},
        {"detect EUC-JP", "text.euc", &euc, {tool, "detect"}, {{}, {"nkf", "--guess"}}},
    };
    std::printf("text: %s repeated, %zu bytes EUC-JP\ntool: %s\n", dictionary.c_str(), euc.size(),
                tool.c_str());
    std::printf("%-34s %-6s %9s %9s %9s %11s %9s\n", "MB/s of input", "input", "ours", "iconv",
                "nkf", "ours/iconv", "ours/nkf");
    int status = 0;
    for (const auto& c : commands) {
        const std::string path = folder + "/" + c.file;
        for (const bool from_stdin : {true, false}) {
            auto rate = [&](std::vector<std::string> argv) {
                if (argv.empty()) return 0.0;
                if (!from_stdin) argv.push_back(path);
                return MegabytesPerSecond(c.text->size(), argv, from_stdin ? path : "");
            };
            const double ours = rate(c.ours);
            const double iconv_rate = rate(c.peers.iconv);
            const double nkf = rate(c.peers.nkf);
            auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
            std::printf("%-34s %-6s %9.0f %9.0f %9.0f %11.1f %9.1f\n", c.what,
                        from_stdin ? "stdin" : "file", ours, iconv_rate, nkf,
                        ratio(ours, iconv_rate), ratio(ours, nkf));
            const bool goal = c.peers.iconv.empty() || !from_stdin ||
                              (ratio(ours, iconv_rate) >= 2 && ratio(ours, nkf) >= 10);
            if (!goal) {
                std::printf("  below the goal: 2 times iconv and 10 times nkf\n");
                status = 1;
            }
        }
    }
    std::system(("rm -rf " + folder).c_str());
    return status;
}
