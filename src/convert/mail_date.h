// The Date header of article mails.
#pragma once

#include <string>
#include <string_view>

#include "platform/system.h"

namespace drwa::convert {

// "Date: " + the article's date and time in the RFC 822 form
// ("Mon, 1 Dec 2003 10:30:00 +0900"). The date is year/month/day with "/" (a
// two-digit year lies in the current century); the time "hh:nn" or
// "hh:nn:ss". Whichever cannot be read is taken from `now`, and the zone is
// always the current offset of the local time.
std::string DateHeader(std::string_view date, std::string_view time,
                       const platform::LocalTime& now);

}  // namespace drwa::convert
