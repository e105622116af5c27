#include "mime_text.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include "text/code_conversions.h"
#include "text/japanese_code.h"
#include "text/sjis_bytes.h"

namespace drwa_host {
namespace {

using drwa::text::JapaneseCode;

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using Iconv = std::unique_ptr<void, IconvCloser>;

Iconv OpenIconv(const char* to, const std::string& from) {
    iconv_t cd = iconv_open(to, from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Iconv(cd);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// Length of the UTF-8 sequence at the start of `s`, 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view s, char32_t* code_point) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    char32_t cp;
    if (lead < 0x80) {
        *code_point = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, cp = lead & 0x07;
    } else {
        return 0;
    }
    if (s.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    *code_point = cp;
    return length;
}

bool IsUtf8(std::string_view s) {
    char32_t cp;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8SequenceLength(s.substr(i), &cp);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

// The charsets the library's own converters read, by the names mails give them.
constexpr struct {
    std::string_view name;
    JapaneseCode code;
} kJapaneseCharsets[] = {
    {"iso-2022-jp", JapaneseCode::kIso2022Jp}, {"csiso2022jp", JapaneseCode::kIso2022Jp},
    {"shift_jis", JapaneseCode::kShiftJis},    {"shift-jis", JapaneseCode::kShiftJis},
    {"sjis", JapaneseCode::kShiftJis},         {"x-sjis", JapaneseCode::kShiftJis},
    {"cp932", JapaneseCode::kShiftJis},        {"windows-31j", JapaneseCode::kShiftJis},
    {"ms_kanji", JapaneseCode::kShiftJis},     {"csshiftjis", JapaneseCode::kShiftJis},
    {"euc-jp", JapaneseCode::kEucJp},          {"x-euc-jp", JapaneseCode::kEucJp},
    {"eucjp", JapaneseCode::kEucJp},           {"cseucpkdfmtjapanese", JapaneseCode::kEucJp},
};

constexpr std::string_view kAsciiCharsets[] = {"us-ascii", "ascii", "ansi_x3.4-1968"};

std::optional<JapaneseCode> JapaneseCharset(const std::string& name) {
    for (const auto& entry : kJapaneseCharsets)
        if (entry.name == name) return entry.code;
    return std::nullopt;
}

std::string FromJapaneseCode(std::string_view bytes, JapaneseCode code) {
    switch (code) {
        case JapaneseCode::kIso2022Jp:
        case JapaneseCode::kOldJis:
            return drwa::text::Iso2022JpToShiftJis(bytes);
        case JapaneseCode::kEucJp:
            return drwa::text::EucJpToShiftJis(bytes);
        default:
            return std::string(bytes);
    }
}

// Japanese text labelled with a Japanese charset. Mailers have long sent
// Shift_JIS labelled ISO-2022-JP, so the bytes decide wherever they can; the
// label only settles what they leave open.
std::string JapaneseToCp932(std::string_view bytes, JapaneseCode declared) {
    const JapaneseCode found = drwa::text::DetectJapaneseCode(bytes);
    switch (found) {
        case JapaneseCode::kAscii:
            return std::string(bytes);
        case JapaneseCode::kUndecided:
        case JapaneseCode::kNotText:
            return FromJapaneseCode(bytes, declared);
        default:
            return FromJapaneseCode(bytes, found);
    }
}

// Text that named no charset, or only US-ASCII, as old Japanese mailers and
// some scripts send it: ISO-2022-JP by its escapes, then UTF-8, then the
// codes detection tells apart, and CP932 where it cannot.
std::string GuessedToCp932(std::string_view bytes) {
    const JapaneseCode found = drwa::text::DetectJapaneseCode(bytes);
    if (found == JapaneseCode::kAscii) return std::string(bytes);
    if (found != JapaneseCode::kIso2022Jp && found != JapaneseCode::kOldJis && IsUtf8(bytes))
        return Utf8ToCp932(bytes);
    return FromJapaneseCode(bytes, found);
}

// A charset name as registries spell them. The name comes from the mail, and
// iconv reads suffixes such as "//IGNORE" out of a name: a mail may not choose
// to have bad bytes dropped silently.
bool IsCharsetName(std::string_view name) {
    return !name.empty() && name.size() <= 64 && std::ranges::all_of(name, [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               std::string_view("-_.:+()").find(c) != std::string_view::npos;
    });
}

// Runs `bytes` through iconv. Where it stops at a sequence it cannot convert,
// `stuck` throws, or appends a stand-in to the output and returns how many
// input bytes that stands for.
template <typename Stuck>
std::string Recode(const Iconv& cd, std::string_view bytes, Stuck stuck) {
    std::string out;
    out.reserve(bytes.size());
    char* src = const_cast<char*>(bytes.data());
    std::size_t left = bytes.size();
    char buffer[4096];
    while (left > 0) {
        char* dst = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t r = iconv(static_cast<iconv_t>(cd.get()), &src, &left, &dst, &room);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        const std::size_t used = stuck(std::string_view(src, left), out);
        src += used, left -= used;
    }
    return out;
}

std::string ToUtf8(std::string_view bytes, const std::string& iconv_name,
                   const std::string& charset) {
    Iconv cd = IsCharsetName(iconv_name) ? OpenIconv("UTF-8", iconv_name) : nullptr;
    if (!cd) throw MailDataError("the text's charset " + charset + " is unknown");
    return Recode(cd, bytes, [&](std::string_view, std::string&) -> std::size_t {
        throw MailDataError("the text is not valid " + charset);
    });
}

// CP932 with every byte that starts no character, and every lead byte without
// its trail byte, replaced by "?". Mislabelled or damaged text passes the
// Japanese converters as it came, and the ISO-2022-JP encoder would turn a
// lead byte with a stray partner such as "," into a JIS pair that decodes to
// a control character.
std::string WellFormedCp932(std::string text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) continue;
        if (drwa::text::IsSjisLeadByte(c) && i + 1 < text.size() &&
            drwa::text::IsSjisTrailByte(static_cast<unsigned char>(text[i + 1]))) {
            ++i;
            continue;
        }
        text[i] = '?';
    }
    return text;
}

}  // namespace

std::string Utf8ToCp932(std::string_view utf8) {
    static const std::string kUtf8 = "UTF-8";
    Iconv cd = OpenIconv("CP932", kUtf8);
    if (!cd) throw std::runtime_error("iconv has no CP932");
    // No CP932 form (EILSEQ), or a sequence cut short at the end (EINVAL).
    return Recode(cd, utf8, [](std::string_view rest, std::string& out) -> std::size_t {
        char32_t cp;
        const std::size_t n = Utf8SequenceLength(rest, &cp);
        if (n == 0) {
            out += '?';
            return 1;
        }
        out += "&#" + std::to_string(static_cast<unsigned long>(cp)) + ";";
        return n;
    });
}

std::string BodyToCp932(std::string_view bytes, std::string_view charset,
                        std::string_view iconv_name) {
    // NUL is no text in any of these charsets, and the JIS converter would
    // end the text there.
    std::string text(bytes);
    std::erase(text, '\0');
    const std::string name = Lower(charset);
    if (const auto code = JapaneseCharset(name))
        return WellFormedCp932(JapaneseToCp932(text, *code));
    if (name.empty() || std::ranges::find(kAsciiCharsets, name) != std::end(kAsciiCharsets))
        return WellFormedCp932(GuessedToCp932(text));
    std::string utf8;
    if (name == "utf-8" || name == "utf8") {
        if (!IsUtf8(text)) throw MailDataError("the text is not valid UTF-8");
        utf8 = std::move(text);
    } else {
        utf8 = ToUtf8(text, std::string(iconv_name.empty() ? charset : iconv_name),
                      std::string(charset));
    }
    // A byte order mark is no character of the text.
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (utf8.starts_with(kBom)) utf8.erase(0, kBom.size());
    return Utf8ToCp932(utf8);
}

std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        lines.emplace_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

std::vector<std::string> Unflow(const std::vector<std::string>& lines, bool delsp) {
    std::vector<std::string> out;
    std::string paragraph;
    std::size_t depth = 0;
    bool pending = false;  // a soft break waits for the next line of its depth
    const auto flush = [&] {
        std::string line(depth, '>');
        if (depth > 0 && !paragraph.empty()) line += ' ';
        out.push_back(line + paragraph);
        paragraph.clear();
        pending = false;
    };
    for (const std::string& line : lines) {
        const std::size_t quotes = std::min(line.find_first_not_of('>'), line.size());
        std::string_view text = std::string_view(line).substr(quotes);
        if (text.starts_with(' ')) text.remove_prefix(1);  // space-stuffing
        // A soft break never joins lines of different quote depth, nor the
        // signature separator.
        if (pending && (quotes != depth || text == "-- ")) flush();
        depth = quotes;
        const bool soft = text.ends_with(' ') && text != "-- ";
        if (soft && delsp) text.remove_suffix(1);
        paragraph.append(text);
        if (soft)
            pending = true;
        else
            flush();
    }
    if (pending) flush();
    return out;
}

std::string WithoutControls(std::string_view text, bool blank) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            out += c;
        else if (blank)
            out += ' ';
    }
    return out;
}

}  // namespace drwa_host
