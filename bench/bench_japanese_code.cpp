// Throughput of the Japanese code conversions and the detection on some 20 MB
// of real text (the skkdic dictionary, repeated), each beside glibc iconv (a
// library call on the same bytes), the nkf command (on the same file) and
// memcpy of the same bytes, the limit of any one-pass converter. All figures
// come from this one run; the best of a few repetitions counts, in processor
// time (the machine may be shared).
//
// usage: bench_japanese_code [DICTIONARY]   (default /usr/share/skk/SKK-JISYO.L)
#include <errno.h>
#include <iconv.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>

#include "bench_files.h"
#include "text/japanese_code.h"

namespace {

using drwa::text::JapaneseCode;

constexpr std::size_t kMinimumSize = 20 * 1000 * 1000;
constexpr int kRepetitions = 3;

// CPU time, not wall time: the machine is shared, and a converter's cost is
// the processor time it takes. The nkf command is charged its own (child)
// processor time the same way.
double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    auto seconds = [](const timeval& v) {
        return static_cast<double>(v.tv_sec) + static_cast<double>(v.tv_usec) * 1e-6;
    };
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9 +
           seconds(children.ru_utime) + seconds(children.ru_stime);
}

// Best throughput of `work` over the repetitions, in MB/s of `bytes`.
double MegabytesPerSecond(std::size_t bytes, const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < kRepetitions; ++i) {
        const double start = CpuSeconds();
        work();
        best = std::min(best, CpuSeconds() - start);
    }
    return static_cast<double>(bytes) / best / 1e6;
}

using drwa::bench::ReadFile;
using drwa::bench::WriteFile;

class Iconv {
  public:
    Iconv(const char* from, const char* to) : cd_(iconv_open(to, from)) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
    }
    ~Iconv() { iconv_close(cd_); }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    // Into fresh memory, as our converters write theirs: both pay for the
    // pages they touch, neither for clearing a buffer first.
    std::size_t Convert(const std::string& in, std::unique_ptr<char[]>& out) {
        const std::size_t capacity = in.size() * 2 + 16;
        out = std::make_unique_for_overwrite<char[]>(capacity);
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        char* dst = out.get();
        std::size_t dst_left = capacity;
        if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1) ||
            iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
            throw std::runtime_error(std::string("iconv rejected the text: ") +
                                     std::strerror(errno) + " at " +
                                     std::to_string(in.size() - src_left));
        }
        return capacity - dst_left;
    }

    std::string Convert(const std::string& in) {
        std::unique_ptr<char[]> out;
        const std::size_t size = Convert(in, out);
        return std::string(out.get(), size);
    }

  private:
    iconv_t cd_;
};

// The nkf command on `path`, output thrown away: process start-up is
// a millisecond against seconds of work.
double NkfMegabytesPerSecond(std::size_t bytes, const std::string& options,
                             const std::string& path) {
    const std::string command = "nkf " + options + " '" + path + "' > /dev/null";
    return MegabytesPerSecond(bytes, [&] {
        if (std::system(command.c_str()) != 0) throw std::runtime_error("nkf failed");
    });
}

// memcpy into fresh memory, as every converter here (ours and iconv alike)
// writes its result into memory it has just been given: the kernel's work of
// handing out those pages is part of the limit.
double MemcpyMegabytesPerSecond(const std::string& text) {
    std::unique_ptr<char[]> copy;
    return MegabytesPerSecond(text.size(), [&] {
        copy = std::make_unique_for_overwrite<char[]>(text.size());
        std::memcpy(copy.get(), text.data(), text.size());
        // Keep the copy observable so it is not optimised away.
        if (copy[text.size() / 2] != text[text.size() / 2]) std::abort();
    });
}

void PrintHeader() {
    std::printf("%-30s %10s %10s %10s %10s %11s %9s %9s\n", "MB/s of input", "ours", "iconv", "nkf",
                "memcpy", "ours/iconv", "ours/nkf", "ours/mem");
}

void PrintRow(const char* what, double ours, double iconv_rate, double nkf, double memcpy_rate) {
    auto ratio = [](double a, double b) { return b > 0 ? a / b : 0.0; };
    std::printf("%-30s %10.0f %10.0f %10.0f %10.0f %11.1f %9.1f %9.2f\n", what, ours, iconv_rate,
                nkf, memcpy_rate, ratio(ours, iconv_rate), ratio(ours, nkf),
                ratio(ours, memcpy_rate));
}

struct Conversion {
    const char* what;
    const std::string* input;
    const char* input_file;
    JapaneseCode target;
    // glibc's CP932 maps a few characters (the wave dash) to code points that
    // its ISO-2022-JP and EUC-JP cannot write; its SHIFT_JIS shares their
    // table, so it reads Shift_JIS input here (same bytes, same work).
    const char* iconv_from;
    const char* iconv_to;
    const char* nkf_options;
    const std::string* expected;  // iconv's result, to check that ours did the work
};

}  // namespace

int main(int argc, char** argv) {
    const std::string dictionary = argc > 1 ? argv[1] : "/usr/share/skk/SKK-JISYO.L";
    const std::string one = ReadFile(dictionary);
    std::string euc;
    while (euc.size() < kMinimumSize) euc += one;
    const std::string sjis = Iconv("EUC-JP", "CP932").Convert(euc);
    const std::string jis = drwa::text::ConvertJapaneseCode(sjis, JapaneseCode::kIso2022Jp);

    // Mostly ASCII: English prose with a Japanese line every fifty lines.
    const std::string prose = ReadFile("/usr/share/common-licenses/GPL-3");
    const std::size_t line_start = sjis.find('\n', 20000) + 1;
    const std::string japanese_line =
        sjis.substr(line_start, sjis.find('\n', line_start) - line_start + 1);
    std::string ascii;
    for (std::size_t line = 0, at = 0; ascii.size() < kMinimumSize; ++line) {
        const std::size_t end = prose.find('\n', at);
        ascii += line % 50 == 49 ? japanese_line : prose.substr(at, end - at + 1);
        at = end + 1 < prose.size() ? end + 1 : 0;
    }

    std::string prose_only;
    while (prose_only.size() < kMinimumSize) prose_only += prose;

    const std::string folder = "/tmp/drwa_bench_japanese_code";
    std::system(("mkdir -p " + folder).c_str());
    WriteFile(folder + "/text.euc", euc);
    WriteFile(folder + "/text.sjis", sjis);
    WriteFile(folder + "/text.jis", jis);
    WriteFile(folder + "/ascii.sjis", ascii);
    WriteFile(folder + "/prose.txt", prose_only);

    std::printf("text: %s repeated, %zu bytes EUC-JP, %zu Shift_JIS, %zu ISO-2022-JP\n",
                dictionary.c_str(), euc.size(), sjis.size(), jis.size());
    PrintHeader();

    const Conversion conversions[] = {
        {"Shift_JIS -> ISO-2022-JP", &sjis, "text.sjis", JapaneseCode::kIso2022Jp, "SHIFT_JIS",
         "ISO-2022-JP", "-j", nullptr},
        {"EUC-JP -> Shift_JIS", &euc, "text.euc", JapaneseCode::kShiftJis, "EUC-JP", "CP932", "-s",
         &sjis},
        {"ISO-2022-JP -> Shift_JIS", &jis, "text.jis", JapaneseCode::kShiftJis, "ISO-2022-JP",
         "CP932", "-s", &sjis},
        {"Shift_JIS -> EUC-JP", &sjis, "text.sjis", JapaneseCode::kEucJp, "SHIFT_JIS", "EUC-JP",
         "-e", &euc},
        {"mostly ASCII SJIS -> ISO-2022-JP", &ascii, "ascii.sjis", JapaneseCode::kIso2022Jp,
         "SHIFT_JIS", "ISO-2022-JP", "-j", nullptr},
    };
    int status = 0;
    for (const auto& c : conversions) {
        std::string ours_out;
        const double ours = MegabytesPerSecond(c.input->size(), [&] {
            ours_out = drwa::text::ConvertJapaneseCode(*c.input, c.target);
        });
        Iconv peer(c.iconv_from, c.iconv_to);
        std::unique_ptr<char[]> peer_out;
        const double iconv_rate =
            MegabytesPerSecond(c.input->size(), [&] { peer.Convert(*c.input, peer_out); });
        const double nkf =
            NkfMegabytesPerSecond(c.input->size(), c.nkf_options, folder + "/" + c.input_file);
        PrintRow(c.what, ours, iconv_rate, nkf, MemcpyMegabytesPerSecond(*c.input));
        if (c.expected != nullptr && ours_out != *c.expected) {
            std::printf("  ours differs from iconv's result!\n");
            status = 1;
        }
    }

    // Detection: nkf --guess reads the whole file as well; iconv has none.
    struct Detection {
        const char* what;
        const std::string* input;
        const char* file;
    };
    // Detection stops at the first byte that decides; on ASCII text it reads
    // everything, which is its slowest case.
    const Detection detections[] = {
        {"detect EUC-JP dictionary", &euc, "text.euc"},
        {"detect ASCII prose (full scan)", &prose_only, "prose.txt"},
    };
    for (const auto& d : detections) {
        volatile int sink = 0;
        const double ours = MegabytesPerSecond(d.input->size(), [&] {
            sink = static_cast<int>(drwa::text::DetectJapaneseCode(*d.input));
        });
        const double nkf = NkfMegabytesPerSecond(d.input->size(), "--guess", folder + "/" + d.file);
        PrintRow(d.what, ours, 0, nkf, MemcpyMegabytesPerSecond(*d.input));
    }
    std::system(("rm -rf " + folder).c_str());
    return status;
}
