// The conversion of one article file of 10,000 articles (some 10 MB of
// Japanese board text) into mail files, beside the bare cost of writing the
// same number of files with the same bytes into a spool folder with plain
// open/write/close. The ratio says what reading, composing, converting and
// writing each mail whole-or-nothing add to the writing that no conversion can
// avoid. Both are timed in this one run, in processor time (user + system: the
// machine may be shared), the best of a few rounds each, in turns.
//
// Every round writes into a fresh folder and nothing is deleted until the end:
// ext4 skips the inodes of files deleted in the last minutes when it makes new
// ones, which would charge whichever side came after a deletion many times
// its own cost.
//
// usage: bench_article_conversion [FOLDER [ARTICLES]]
//   FOLDER: where the account is made (default: the temporary folder)
//   ARTICLES: default 10000
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "convert/article_converter.h"
#include "platform/charset_edge.h"
#include "platform/system.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRounds = 4;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// A small deterministic generator, so that every run converts the same file.
class Random {
  public:
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Next() % N];
    }

  private:
    std::uint64_t state_ = 20031201;
};

// Phrases of board talk; the literals are Shift_JIS in this build, including
// characters whose second byte is "\" (表, ソ, 能) and half-width katakana.
const char* const kPhrases[] = {
    "こんにちは、",
    "今日は天気がいいですね。",
    "それは知らなかった。",
    "表示がおかしいです。",
    "ソフトの不具合かも",
    "能力の問題ではない",
    "ｿﾌﾄｳｪｱの更新をお願いします",
    "（笑）",
    "ありがとうございました！",
    "詳しくは下記を参照：",
    "http://bbs.example.jp/test/read.cgi?key=1234",
    "再起動したら直った。",
    "漢字とかなが混ざった文章です。",
    "明日の予定は未定です。",
    "ＰＣの調子が悪い・・・",
    "ASCII only words here ",
    "１２３４５６７８９０",
    "「引用」と『強調』",
};
const char* const kTitles[] = {"質問があります", "雑談スレッド", "Re: 不具合報告",
                               "新着情報",       "表示の問題",   "ソフト更新のお知らせ"};
const char* const kNames[] = {"名無しさん", "山田 太郎", "ｿﾌﾄ屋", "管理人", "通りすがり"};

// About 1,000 bytes an article: a status line with a parent, title, name,
// e-mail, a plugin header, and a body of several lines.
std::string MakeArticleFile(int articles) {
    Random random;
    std::string text =
        "#F:POST,http://bbs.example.jp/test/write.cgi,bbs=news&key=$Sr&MESSAGE=$M\n"
        "#P:POST,http://bbs.example.jp/test/write.cgi,bbs=news&subject=$T&MESSAGE=$M\n"
        "#T:ベンチマーク掲示板\n#LAST:0\n";
    for (int n = 1; n <= articles; ++n) {
        const int parent = n > 1 && random.Next() % 3 ? static_cast<int>(random.Next() % n) : 0;
        char status[96];
        std::snprintf(status, sizeof status, "S:%d,%s,2003/%02d/%02d,%02d:%02d:%02d\n", n,
                      parent ? std::to_string(parent).c_str() : "", 1 + n % 12, 1 + n % 28, n % 24,
                      n % 60, (n * 7) % 60);
        text += status;
        text += "T:" + std::string(random.Pick(kTitles)) + "\n";
        text += "N:" + std::string(random.Pick(kNames)) + "\n";
        text += n % 4 ? "E:sage\n" : "E:user" + std::to_string(n) + "@example.jp\n";
        text += "C:カテゴリ=雑談\n";
        text += "M:";
        std::size_t line = 0;
        for (std::size_t body = 0; body < 850;) {
            const std::string phrase = random.Pick(kPhrases);
            text += phrase;
            body += phrase.size();
            line += phrase.size();
            if (line > 70) {
                text += "\n";
                line = 0;
            }
        }
        text += "\n.\n";
    }
    return text;
}

void WriteText(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The peer: each file created, written in one call and closed.
void WritePlainFiles(const fs::path& folder, const std::vector<std::string>& contents) {
    for (std::size_t i = 0; i < contents.size(); ++i) {
        const std::string path = (folder / ("plain" + std::to_string(i) + ".eml")).string();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 || ::write(fd, contents[i].data(), contents[i].size()) !=
                          static_cast<ssize_t>(contents[i].size()))
            throw std::runtime_error("cannot write " + path);
        ::close(fd);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path parent = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const int articles = argc > 2 ? std::atoi(argv[2]) : 10000;
    const fs::path root = parent / ("drwa-bench-" + drwa::platform::NewGuid());
    const fs::path group = root / "BBS" / "NEWS";
    fs::create_directories(group);
    WriteText(root / "account.ini", "[PLUGIN]\r\nGROUP_COUNT=1\r\n[00001]\r\nFOLDER_NAME=NEWS\r\n");
    WriteText(group / "drwa_BBS.ini",
              "[BASIC]\r\nGUID=6F1C2A4E-3B7D-4E8F-9A10-2B3C4D5E6F70\r\n"
              "URL=http://bbs.example.jp/news/\r\n[OPTION]\r\nSAVE_NUMBER=0\r\n");
    const std::string article_text = MakeArticleFile(articles);
    const fs::path article = group / "cm_bench.cm$";
    WriteText(article, article_text);

    using drwa::platform::Utf8ToCp932;
    const drwa::config::IniFile account(Utf8ToCp932((root / "account.ini").string()));
    const drwa::config::IniFile group_ini(Utf8ToCp932((group / "drwa_BBS.ini").string()));
    const std::string article_path = Utf8ToCp932(article.string());

    double convert_best = 1e30, plain_best = 1e30;
    std::vector<std::string> mails;
    std::size_t mail_bytes = 0;
    auto convert = [&](int round) {
        const fs::path spool = root / ("spool" + std::to_string(round));
        fs::create_directories(spool);
        const double start = CpuSeconds();
        drwa::convert::ConvertArticleFile(article_path, Utf8ToCp932(spool.string()) + "/", account,
                                          group_ini, false);
        convert_best = std::min(convert_best, CpuSeconds() - start);
        if (mails.empty()) {
            for (const auto& entry : fs::directory_iterator(spool)) {
                mails.push_back(ReadText(entry.path()));
                mail_bytes += mails.back().size();
            }
        }
    };
    auto plain = [&](int round) {
        const fs::path folder = root / ("plain" + std::to_string(round));
        fs::create_directories(folder);
        const double start = CpuSeconds();
        WritePlainFiles(folder, mails);
        plain_best = std::min(plain_best, CpuSeconds() - start);
    };
    convert(0);
    plain(0);
    for (int round = 1; round < kRounds; ++round) {
        if (round % 2) {
            plain(round);
            convert(round);
        } else {
            convert(round);
            plain(round);
        }
    }
    fs::remove_all(root);

    std::printf("folder:       %s\n", parent.string().c_str());
    std::printf("article file: %d articles, %.1f MB\n", articles, article_text.size() / 1e6);
    std::printf("mail files:   %zu, %.1f MB\n", mails.size(), mail_bytes / 1e6);
    std::printf("conversion:            %8.3f s\n", convert_best);
    std::printf("plain open/write/close:%8.3f s\n", plain_best);
    std::printf("ratio conversion / plain writes: %.2f (goal: at most 2)\n",
                convert_best / plain_best);
    return mails.size() == static_cast<std::size_t>(articles) ? 0 : 1;
}
