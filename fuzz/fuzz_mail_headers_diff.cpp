// Our own readers of address lists and dates (the Windows build's) against
// GMime (the Linux build's) on the same bytes: a To value and a Date value as
// the outgoing mail reader hands them over. Both builds must read one outbox
// alike, so any difference in the mailboxes, their names, a failure, or the
// moment read aborts with both results printed. Differences that cannot
// matter to the reader, or where GMime is plainly wrong, are normalised first;
// each is named below.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "platform/charset_edge.h"
#include "post/mail_address_parser.h"
#include "post/mail_date_parser.h"
#include "post/mail_message.h"

namespace {

using namespace drwa;
using namespace drwa::post;

bool ContainsNoCase(std::string_view text, std::string_view part) {
    for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
        bool same = true;
        for (std::size_t j = 0; j < part.size() && same; ++j)
            same = (text[i + j] | 0x20) == (part[j] | 0x20);
        if (same) return true;
    }
    return false;
}

struct Recipients {
    std::vector<MailRecipient> list;
    std::string error;
};

template <typename Parse>
Recipients Run(Parse parse, std::string_view value) {
    Recipients r;
    try {
        r.list = parse(value);
    } catch (const Error& e) {
        r.error = e.what();
    }
    return r;
}

// GMime sees the text in UTF-8 and gives it back in CP932, which turns the
// NEC and IBM twins of a character (0xED40 and 0xFA5C) into one code; ours
// keeps the bytes as written. The reader compares the text, not the code.
std::string ThroughUtf8(const std::string& cp932) {
    const std::optional<std::string> utf8 = platform::TryCp932ToUtf8(cp932);
    if (!utf8) return cp932;
    return platform::TryUtf8ToCp932(*utf8).value_or(cp932);
}

// Control bytes escaped, so that blanks and line ends show.
std::string Visible(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c < 0x20 || c == 0x7F ? std::string(hex) : std::string(1, static_cast<char>(c));
    }
    return out;
}

void Print(const char* side, const Recipients& r) {
    std::fprintf(stderr, "%s:", side);
    if (!r.error.empty()) std::fprintf(stderr, " error");
    for (const MailRecipient& m : r.list)
        std::fprintf(stderr, " [%s|%s]", Visible(m.address).c_str(), Visible(m.name).c_str());
    std::fprintf(stderr, "\n");
}

void CompareRecipients(std::string_view value) {
    // GMime decodes encoded words in a name once more, though the reader
    // decoded the header already: "=?" left in a decoded name is text.
    if (value.find("=?") != std::string_view::npos) return;
    // GMime turns an IDNA label of a domain ("xn--...") into Unicode; the
    // reader wants the address as written (a board's address never holds one).
    if (value.find("xn--") != std::string_view::npos) return;
    const Recipients ours = Run(ParseRecipientsPortable, value);
    const Recipients theirs = Run(ParseRecipients, value);
    bool same = ours.error == theirs.error && ours.list.size() == theirs.list.size();
    for (std::size_t i = 0; same && i < ours.list.size(); ++i) {
        same = ThroughUtf8(ours.list[i].address) == theirs.list[i].address &&
               ThroughUtf8(ours.list[i].name) == theirs.list[i].name;
    }
    if (same) return;
    Print("ours", ours);
    Print("gmime", theirs);
    std::abort();
}

void Print(const char* side, const std::optional<platform::LocalTime>& t) {
    if (!t) {
        std::fprintf(stderr, "%s: none\n", side);
        return;
    }
    std::fprintf(stderr, "%s: %04d-%02d-%02d %02d:%02d:%02d wd%d %+ld\n", side, t->year, t->month,
                 t->day, t->hour, t->minute, t->second, t->weekday, t->utc_offset_seconds);
}

bool Same(const platform::LocalTime& a, const platform::LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second && a.weekday == b.weekday &&
           a.utc_offset_seconds == b.utc_offset_seconds;
}

void CompareDates(std::string_view value) {
    // GMime reads "JST" as +0000; the GMime side mends only a final " JST",
    // ours reads the name wherever a zone name may stand.
    if (ContainsNoCase(value, "jst")) return;
    const std::optional<platform::LocalTime> ours = ParseMailDatePortable(value);
    const std::optional<platform::LocalTime> theirs = ParseMailDate(value);
    if (ours.has_value() == theirs.has_value() && (!ours || Same(*ours, *theirs))) return;
    Print("ours", ours);
    Print("gmime", theirs);
    std::abort();
}

}  // namespace

// GMime itself leaks a buffer on some malformed lists (seen through the
// fuzzer's fast stack unwinding as glib's allocations only). Nothing else in
// this program allocates through glib.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libglib-2.0.so\n";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A zone away from UTC, so that the turn into local time is compared too.
    static const bool zone_set = [] { return setenv("TZ", "Asia/Tokyo", 1) == 0; }();
    if (!zone_set) std::abort();
    const std::string_view value(reinterpret_cast<const char*>(data), size);
    CompareRecipients(value);
    CompareDates(value);
    return 0;
}
