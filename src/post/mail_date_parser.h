// Our own reader of Date header values, for the builds that have no mail
// library (the Windows DLL). It reads RFC 5322 dates and the broken forms the
// mail library reads (no weekday, two-digit years, numeric months, the parts
// in another order, zone names and military zones), with the same results;
// a fuzz target holds the two side by side.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/system.h"

namespace drwa::post {

// A moment as the sender wrote it: the wall clock of the sender's zone and
// that zone's offset east of UTC.
struct MailDateTime {
    int year = 0, month = 0, day = 0;
    int hour = 0, minute = 0, second = 0;
    int zone_minutes = 0;
    friend bool operator==(const MailDateTime&, const MailDateTime&) = default;
};

// The moment of a Date header value; nothing when it names no valid moment.
// A zone missing or unknown counts as UTC; "JST" is +0900.
std::optional<MailDateTime> ReadMailDate(std::string_view value);

// Seconds since 1970-01-01 00:00 UTC.
std::int64_t UtcSeconds(const MailDateTime& time);

// ParseMailDate on top of ReadMailDate: the moment in local time.
std::optional<platform::LocalTime> ParseMailDatePortable(std::string_view value);

}  // namespace drwa::post
