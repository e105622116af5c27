#include "post/mail_date_parser.h"

#include <array>
#include <climits>
#include <vector>

namespace drwa::post {
namespace {

// Which characters each kind of date token may hold: a token whose
// characters all fit a kind is tried as that kind when the parts come in an
// unusual order.
constexpr std::string_view kNumericChars = "0123456789";
constexpr std::string_view kWeekdayChars = "FMSTWadehinorstuy";
constexpr std::string_view kMonthChars = "ADFJMNOSabceghilmnoprstuvy";
constexpr std::string_view kTimeChars = "0123456789:";
constexpr std::string_view kZoneNameChars = "()ACDEGJMNPSTUYZ";
constexpr std::string_view kZoneNumberChars = "+-0123456789";

constexpr std::array<std::string_view, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed",
                                                       "Thu", "Fri", "Sat"};
constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

struct ZoneName {
    std::string_view name;
    int hhmm;
};
// RFC 5322's names, the military letters with RFC 822's signs (which many
// mailers still write), and JST, which Japanese mail writes for +0900.
constexpr ZoneName kZoneNames[] = {
    {"UT", 0},     {"GMT", 0},    {"EDT", -400}, {"EST", -500}, {"CDT", -500}, {"CST", -600},
    {"MDT", -600}, {"MST", -700}, {"PDT", -700}, {"PST", -800}, {"JST", 900},  {"A", 100},
    {"B", 200},    {"C", 300},    {"D", 400},    {"E", 500},    {"F", 600},    {"G", 700},
    {"H", 800},    {"I", 900},    {"K", 1000},   {"L", 1100},   {"M", 1200},   {"N", -100},
    {"O", -200},   {"P", -300},   {"Q", -400},   {"R", -500},   {"S", -600},   {"T", -700},
    {"U", -800},   {"V", -900},   {"W", -1000},  {"X", -1100},  {"Y", -1200},  {"Z", 0},
};

bool AllOf(std::string_view text, std::string_view chars) {
    return text.find_first_not_of(chars) == std::string_view::npos;
}

// The value split at blanks, "-", "/" and ",". A token may start with one of
// "-/,\r\n" (a separator right after a blank starts the next token), which
// keeps the sign of "-0500".
std::vector<std::string_view> Tokens(std::string_view value) {
    constexpr std::string_view kSeparators = "-/,\t\r\n ";
    std::vector<std::string_view> tokens;
    std::size_t start = 0;
    while (start < value.size()) {
        while (start < value.size() && (value[start] == ' ' || value[start] == '\t')) ++start;
        if (start == value.size()) break;
        std::size_t end = start + 1;
        while (end < value.size() && kSeparators.find(value[end]) == std::string_view::npos) ++end;
        tokens.push_back(value.substr(start, end - start));
        start = end + 1;
    }
    return tokens;
}

// Digits only, without overflow; -1 otherwise.
int DecodeInt(std::string_view text) {
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return -1;
        if (value > (INT_MAX - (c - '0')) / 10) return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Index of the name whose first three letters start the token, in any case of
// the ASCII letters (a byte of a double-byte character is never folded).
template <std::size_t N>
int NameIndex(std::string_view token, const std::array<std::string_view, N>& names) {
    if (token.size() < 3) return -1;
    for (std::size_t i = 0; i < N; ++i) {
        if (AsciiLower(token[0]) == AsciiLower(names[i][0]) &&
            AsciiLower(token[1]) == AsciiLower(names[i][1]) &&
            AsciiLower(token[2]) == AsciiLower(names[i][2]))
            return static_cast<int>(i);
    }
    return -1;
}

int Weekday(std::string_view token) {
    return NameIndex(token, kWeekdays);
}

int Month(std::string_view token) {
    const int index = NameIndex(token, kMonths);
    return index < 0 ? -1 : index + 1;
}

int MonthDay(std::string_view token) {
    const int day = DecodeInt(token);
    return day > 31 ? -1 : day;
}

// Two-digit years: 70..99 are 19xx, the rest 20xx. Years before 1969 are
// refused.
int Year(std::string_view token) {
    int year = DecodeInt(token);
    if (year < 0) return -1;
    if (year < 100) year += year < 70 ? 2000 : 1900;
    return year < 1969 ? -1 : year;
}

struct Clock {
    int hour = 0, minute = 0, second = 0;
};

// "hh[:mm[:ss]]". The fields read before a fault stay in `clock`, which the
// broken-date reader then keeps, as the mail library does.
bool ReadClock(std::string_view token, Clock& clock) {
    clock = {};
    int* field = &clock.hour;
    int max = 23;
    int colons = 0;
    for (char c : token) {
        if (c == ':') {
            ++colons;
            if (colons == 1) {
                field = &clock.minute;
                max = 59;
            } else if (colons == 2) {
                field = &clock.second;
                max = 60;
            } else {
                return false;
            }
        } else if (c < '0' || c > '9') {
            return false;
        } else {
            *field = *field * 10 + (c - '0');
            if (*field > max) return false;
        }
    }
    return true;
}

// "+hhmm" with hours below 24 and minutes below 60, in minutes.
std::optional<int> ZoneFromHhmm(bool negative, int hhmm) {
    const int hours = hhmm / 100, minutes = hhmm % 100;
    if (hours > 23 || minutes > 59) return std::nullopt;
    const int total = hours * 60 + minutes;
    return negative ? -total : total;
}

// The zone among the next two tokens, from `at` on; `at` moves past the
// tokens looked at. A "+hhmm" that is not four digits ends the search.
std::optional<int> Zone(const std::vector<std::string_view>& tokens, std::size_t& at) {
    for (int looked = 0; at < tokens.size() && looked < 2; ++at, ++looked) {
        std::string_view token = tokens[at];
        if (token.size() >= 6) continue;
        if (token.size() == 5 && (token[0] == '+' || token[0] == '-')) {
            const int hhmm = DecodeInt(token.substr(1));
            if (hhmm < 0) return std::nullopt;
            return ZoneFromHhmm(token[0] == '-', hhmm);
        }
        if (token[0] == '(') {
            token.remove_prefix(1);
            if (!token.empty() && token.back() == ')') token.remove_suffix(1);
        }
        for (const ZoneName& zone : kZoneNames)
            if (token == zone.name)
                return ZoneFromHhmm(zone.hhmm < 0, zone.hhmm < 0 ? -zone.hhmm : zone.hhmm);
    }
    return std::nullopt;
}

bool IsLeap(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// The moment when every field is in range (a leap second is not).
std::optional<MailDateTime> Valid(int year, int month, int day, const Clock& clock, int zone) {
    if (year < 1 || year > 9999 || month < 1 || month > 12) return std::nullopt;
    if (day < 1 || day > DaysInMonth(year, month)) return std::nullopt;
    if (clock.hour > 23 || clock.minute > 59 || clock.second > 59) return std::nullopt;
    return MailDateTime{year, month, day, clock.hour, clock.minute, clock.second, zone};
}

// [weekday] day month year time [zone], in that order.
std::optional<MailDateTime> ReadStandardDate(const std::vector<std::string_view>& tokens) {
    std::size_t at = 0;
    if (Weekday(tokens[at]) >= 0) ++at;
    const int day = at < tokens.size() ? MonthDay(tokens[at++]) : -1;
    if (day < 0) return std::nullopt;
    const int month = at < tokens.size() ? Month(tokens[at++]) : -1;
    if (month < 0) return std::nullopt;
    const int year = at < tokens.size() ? Year(tokens[at++]) : -1;
    if (year < 0) return std::nullopt;
    Clock clock;
    if (at >= tokens.size() || !ReadClock(tokens[at++], clock)) return std::nullopt;
    const int zone = Zone(tokens, at).value_or(0);
    return Valid(year, month, day, clock, zone);
}

// The parts in any order, each token taken as the first kind it fits that is
// still missing. Numbers are read as month-day-year when they can be.
std::optional<MailDateTime> ReadBrokenDate(const std::vector<std::string_view>& tokens) {
    int year = 0, month = 0, day = 0;
    Clock clock;
    std::optional<int> zone;
    bool has_weekday = false, has_month = false, has_day = false, has_year = false;
    bool has_time = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string_view token = tokens[i];
        if (!has_weekday && AllOf(token, kWeekdayChars) && Weekday(token) >= 0) {
            has_weekday = true;
            continue;
        }
        if (!has_month && AllOf(token, kMonthChars)) {
            if (const int n = Month(token); n > 0) {
                has_month = true;
                month = n;
                continue;
            }
        }
        if (!has_time && AllOf(token, kTimeChars) && token.find(':') != std::string_view::npos) {
            if (ReadClock(token, clock)) {
                has_time = true;
                continue;
            }
        }
        const bool zone_name = AllOf(token, kZoneNameChars);
        const bool zone_number =
            AllOf(token, kZoneNumberChars) && token.find_first_of("+-") != std::string_view::npos;
        if (!zone && (zone_name || zone_number)) {
            std::size_t at = i;
            if ((zone = Zone(tokens, at))) continue;
        }
        if (!AllOf(token, kNumericChars)) continue;
        if (token.size() == 4 && !has_year) {
            if (const int n = Year(token); n >= 0) {
                has_year = true;
                year = n;
            }
            continue;
        }
        if (!has_month && i + 1 < tokens.size() && AllOf(tokens[i + 1], kNumericChars)) {
            const int n = DecodeInt(token);
            if (n > 12) {
                has_day = true;
                day = n;
            } else if (n > 0) {
                has_month = true;
                month = n;
            }
        } else if (const int n = MonthDay(token); !has_day && n >= 0) {
            has_day = true;
            day = n;
        } else if (!has_year) {
            if (const int y = Year(token); y >= 0) {
                has_year = true;
                year = y;
            }
        }
    }
    if (!has_year && !has_month && !has_day && !has_time) return std::nullopt;
    return Valid(year, month, day, clock, zone.value_or(0));
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, int month, int day) {
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = y / 400;
    const int year_of_era = y - era * 400;
    const int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
    return static_cast<std::int64_t>(era) * 146097 + day_of_era - 719468;
}

}  // namespace

std::optional<MailDateTime> ReadMailDate(std::string_view value) {
    // The mail library reads the value as a C string.
    const std::vector<std::string_view> tokens = Tokens(value.substr(0, value.find('\0')));
    if (tokens.empty()) return std::nullopt;
    if (std::optional<MailDateTime> date = ReadStandardDate(tokens)) return date;
    return ReadBrokenDate(tokens);
}

std::int64_t UtcSeconds(const MailDateTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 +
           t.second - t.zone_minutes * 60;
}

std::optional<platform::LocalTime> ParseMailDatePortable(std::string_view value) {
    const std::optional<MailDateTime> date = ReadMailDate(value);
    if (!date) return std::nullopt;
    return platform::LocalTimeAt(UtcSeconds(*date));
}

}  // namespace drwa::post
