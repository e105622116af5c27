#include "convert/mail_date.h"

#include <charconv>
#include <cstdlib>
#include <optional>
#include <vector>

namespace drwa::convert {
namespace {

struct Date {
    int year, month, day;
};
struct Time {
    int hour, minute, second;
};

std::string_view Trim(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Decimal numbers separated by `sep`; nothing when any part is not one.
std::optional<std::vector<int>> Numbers(std::string_view s, char sep) {
    std::vector<int> out;
    s = Trim(s);
    if (s.empty()) return std::nullopt;
    for (;;) {
        std::size_t end = s.find(sep);
        std::string_view part = Trim(s.substr(0, end));
        if (part.empty() || part.size() > 4) return std::nullopt;
        int v = 0;
        for (char c : part) {
            if (c < '0' || c > '9') return std::nullopt;
            v = v * 10 + (c - '0');
        }
        out.push_back(v);
        if (end == std::string_view::npos) return out;
        s.remove_prefix(end + 1);
    }
}

bool IsLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int DaysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

std::optional<Date> ParseDate(std::string_view text, int current_year) {
    auto n = Numbers(text, '/');
    if (!n) return std::nullopt;
    Date d{};
    if (n->size() == 3)
        d = {(*n)[0], (*n)[1], (*n)[2]};
    else if (n->size() == 2)
        d = {current_year, (*n)[0], (*n)[1]};  // month/day of this year
    else
        return std::nullopt;
    if (d.year < 100 && (*n).size() == 3) d.year += current_year / 100 * 100;
    if (d.year < 1 || d.month < 1 || d.month > 12 || d.day < 1 ||
        d.day > DaysInMonth(d.year, d.month))
        return std::nullopt;
    return d;
}

std::optional<Time> ParseTime(std::string_view text) {
    auto n = Numbers(text, ':');
    if (!n || n->size() < 2 || n->size() > 3) return std::nullopt;
    Time t{(*n)[0], (*n)[1], n->size() == 3 ? (*n)[2] : 0};
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

// 0 = Sunday, for the proleptic Gregorian calendar.
int Weekday(const Date& d) {
    static constexpr int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    int y = d.month < 3 ? d.year - 1 : d.year;
    return (y + y / 4 - y / 100 + y / 400 + kOffsets[d.month - 1] + d.day) % 7;
}

// `value` with at least `width` digits; the values here are never negative.
void AppendNumber(std::string& out, long value, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (long pad = width - (end - digits); pad > 0; --pad) out += '0';
    out.append(digits, end);
}

// The zone's offset at the article's own time: a summer post read in winter
// keeps its summer offset. Taken as `now`'s offset moved by the zone's own
// change between the two times, so that a host's bias stays the base.
// Articles come in runs of one day and hour, so the last answer is kept.
long OffsetAt(const Date& d, const Time& t, const platform::LocalTime& now) {
    if (d.year == now.year && d.month == now.month && d.day == now.day && t.hour == now.hour)
        return now.utc_offset_seconds;
    struct Key {
        int year = 0, month = 0, day = 0, hour = -1;
        bool operator==(const Key&) const = default;
    };
    thread_local struct {
        Key article, current;
        long shift = 0;
    } last;
    const Key article{d.year, d.month, d.day, t.hour},
        current{now.year, now.month, now.day, now.hour};
    if (!(last.article == article) || !(last.current == current)) {
        const auto then = platform::UtcOffsetAtLocal(d.year, d.month, d.day, t.hour, t.minute);
        const auto here =
            platform::UtcOffsetAtLocal(now.year, now.month, now.day, now.hour, now.minute);
        last = {article, current, then && here ? *then - *here : 0};
    }
    return now.utc_offset_seconds + last.shift;
}

}  // namespace

// Built by hand rather than with snprintf: one per mail, and formatting was a
// noticeable part of composing the headers.
std::string DateHeader(std::string_view date_text, std::string_view time_text,
                       const platform::LocalTime& now) {
    static constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const Date d = ParseDate(date_text, now.year).value_or(Date{now.year, now.month, now.day});
    const Time t = ParseTime(time_text).value_or(Time{now.hour, now.minute, now.second});
    const long offset = OffsetAt(d, t, now);
    const long offset_minutes = std::labs(offset) / 60;
    std::string out = "Date: ";
    out.reserve(40);
    out += kWeekdays[Weekday(d)];
    out += ", ";
    AppendNumber(out, d.day, 1);
    out += ' ';
    out += kMonths[d.month - 1];
    out += ' ';
    AppendNumber(out, d.year, 4);
    out += ' ';
    AppendNumber(out, t.hour, 2);
    out += ':';
    AppendNumber(out, t.minute, 2);
    out += ':';
    AppendNumber(out, t.second, 2);
    out += offset < 0 ? " -" : " +";
    AppendNumber(out, offset_minutes / 60, 2);
    AppendNumber(out, offset_minutes % 60, 2);
    return out;
}

}  // namespace drwa::convert
