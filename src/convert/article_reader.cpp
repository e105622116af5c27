#include "convert/article_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "common/error.h"
#include "convert/comma_text.h"
#include "platform/files.h"
#include "platform/system.h"
#include "text/code_conversions.h"
#include "text/japanese_code.h"

namespace drwa::convert {
namespace {

constexpr int kRetryPauseMs = 500;
constexpr int kRetryLimitMs = 5000;

bool StartsWith(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

// A body line as mail text: what ConvertJapaneseCode does for ISO-2022-JP,
// with one detection per line instead of two. After the whole file went to
// Shift_JIS, a line whose bytes alone cannot tell EUC-JP from Shift_JIS (a run
// of half-width katakana, say) is Shift_JIS all the same; left as it is it
// would put raw 8-bit bytes into an ISO-2022-JP mail.
std::string BodyToMail(std::string_view line) {
    switch (text::DetectJapaneseCode(line)) {
        case text::JapaneseCode::kShiftJis:
        case text::JapaneseCode::kUndecided:
            return text::ShiftJisToIso2022Jp(line);
        case text::JapaneseCode::kEucJp:
            return text::EucJpToIso2022Jp(line);
        default:  // ASCII, not text, or JIS already
            return std::string(line);
    }
}

// Where `c` is next at or after `from`; the size of the text when nowhere.
std::size_t FindByte(std::string_view text, std::size_t from, char c) {
    const void* at = std::memchr(text.data() + from, c, text.size() - from);
    return at ? static_cast<std::size_t>(static_cast<const char*>(at) - text.data()) : text.size();
}

// ISO-2022-JP is converted line by line. Converted whole, a stray 8-bit
// pair inside a double-byte run can come out as a NUL, where the converted
// text ends: every later record of the file would be lost without a word. And
// a line left in double-byte mode would swallow its own line end. A line on
// its own starts in single-byte mode, as a mail line does, and a bad pair
// harms only the rest of its line. Well-formed files convert the same either
// way.
std::string ToShiftJis(std::string crlf_text) {
    using Code = text::JapaneseCode;
    const Code code = text::DetectJapaneseCode(crlf_text);
    // What ConvertJapaneseCode does for Shift_JIS, without a second detection
    // and without copying the many megabytes that need no conversion.
    if (code == Code::kEucJp) return text::EucJpToShiftJis(crlf_text);
    if (code != Code::kIso2022Jp && code != Code::kOldJis) return crlf_text;
    std::string out;
    out.reserve(crlf_text.size());
    const std::string_view all = crlf_text;
    for (std::size_t start = 0; start < all.size();) {
        std::size_t end = all.find("\r\n", start);
        if (end == std::string_view::npos) end = all.size();
        out += text::Iso2022JpToShiftJis(all.substr(start, end - start));
        if (end == all.size()) break;
        out += "\r\n";
        start = end + 2;
    }
    return out;
}

class Reader {
  public:
    explicit Reader(ArticleSink& sink) : sink_(sink) {}

    void Line(std::string_view line) {
        if (in_body_) {
            if (line == ".") {
                sink_.EndRecord();
                ClearRecord();
                in_body_ = false;
            } else {
                sink_.BodyLine(BodyToMail(line));
            }
            return;
        }
        if (StartsWith(line, "#")) {
            BoardLine(line);
            return;
        }
        RecordLine(line);
    }

  private:
    void BoardLine(std::string_view line) {
        // A key with nothing after it leaves the value as it was.
        if (line.size() <= 3) return;
        std::string value(line.substr(3));
        if (StartsWith(line, "#F:"))
            board_.reply_template = std::move(value);
        else if (StartsWith(line, "#P:"))
            board_.post_template = std::move(value);
        else if (StartsWith(line, "#T:"))
            board_.title = std::move(value);
    }

    void RecordLine(std::string_view line) {
        if (line.size() < 2 || line[1] != ':') return;
        const std::string_view value = line.substr(2);
        switch (line[0]) {
            case 'S':
                Status(value);
                break;
            case 'C':
            case 'H':
            case 'I':
                PluginLine(line);
                break;
            case 'P':
                if (!value.empty()) record_.post_template = std::string(value);
                PluginLine(line);
                break;
            case 'F':
                if (!value.empty()) record_.reply_template = std::string(value);
                PluginLine(line);
                break;
            case 'T':
                record_.title = std::string(value);
                break;
            case 'N':
                record_.name = std::string(value);
                break;
            case 'E':
                record_.email = std::string(value);
                break;
            case 'M':
                in_body_ = true;
                sink_.BeginRecord(board_, record_);
                if (!value.empty()) sink_.BodyLine(BodyToMail(value));
                break;
            default:
                break;
        }
    }

    // Lines with nothing after the colon are no plugin header at all.
    void PluginLine(std::string_view line) {
        if (line.size() > 2) record_.plugin_lines.emplace_back(line);
    }

    void Status(std::string_view value) {
        std::vector<std::string> f = SplitCommaText(value);
        f.resize(5);
        record_.number = std::move(f[0]);
        record_.parent = std::move(f[1]);
        record_.date = std::move(f[2]);
        record_.time = std::move(f[3]);
        record_.force_delivery = f[4].find('O') != std::string::npos;
    }

    // Number and parent carry over to a record without its own status line.
    void ClearRecord() {
        ArticleRecord next;
        next.number = std::move(record_.number);
        next.parent = std::move(record_.parent);
        record_ = std::move(next);
    }

    ArticleSink& sink_;
    BoardValues board_;
    ArticleRecord record_;
    bool in_body_ = false;
};

}  // namespace

std::string PrepareArticleText(std::string_view bytes) {
    // Lines end in CR LF before the conversion, whatever they ended in. The
    // bytes between line ends and NULs are copied in runs: files are many
    // megabytes of plain text.
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 32);
    std::size_t i = 0;
    while (i < bytes.size()) {
        std::size_t end = i;
        while (end < bytes.size() && bytes[end] != '\0' && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        text.append(bytes.substr(i, end - i));
        if (end == bytes.size()) break;
        if (bytes[end] == '\0') {
            text += ' ';  // a NUL neither ends a line nor the file
        } else {
            text += "\r\n";
            if (bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n') ++end;
        }
        i = end + 1;
    }
    return ToShiftJis(std::move(text));
}

std::vector<std::string> ReadArticleText(std::string_view text, ArticleSink& sink) {
    Reader reader(sink);
    std::vector<std::string_view> header;
    std::size_t start = 0;
    bool header_open = true;
    auto take = [&](std::string_view line) {
        if (header_open && StartsWith(line, "#"))
            header.push_back(line);
        else
            header_open = false;
        reader.Line(line);
    };
    // The next CR and the next LF are each found with memchr, which scans
    // many bytes at a time: a file is megabytes of lines.
    std::size_t next_cr = FindByte(text, 0, '\r'), next_lf = FindByte(text, 0, '\n');
    while (start < text.size()) {
        if (next_cr < start) next_cr = FindByte(text, start, '\r');
        if (next_lf < start) next_lf = FindByte(text, start, '\n');
        const std::size_t end = std::min(next_cr, next_lf);
        if (end == text.size()) {
            take(text.substr(start));
            break;
        }
        take(text.substr(start, end - start));
        start = end + (end == next_cr && next_lf == end + 1 ? 2 : 1);
    }
    // Only a file with records has a header block to write back: a file of
    // "#" lines alone leaves the board file as it is.
    if (header_open) return {};
    return std::vector<std::string>(header.begin(), header.end());
}

std::string LoadArticleFile(std::string_view path) {
    const std::uint64_t first = platform::MonotonicMs();
    for (;;) {
        if (auto bytes = platform::ReadFile(path)) return *std::move(bytes);
        if (platform::MonotonicMs() - first >= kRetryLimitMs)
            throw Error(std::string(path) + ": " + platform::LastSystemErrorText());
        platform::SleepMs(kRetryPauseMs);
    }
}

}  // namespace drwa::convert
