// The readers of To and Date values, one table each, run against every reader
// the build has: our own (the Windows build's) everywhere, GMime's (the Linux
// build's) where GMime is linked. Both must read one outbox alike.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "post/mail_address_parser.h"
#include "post/mail_date_parser.h"
#include "post/mail_message.h"

namespace drwa::post {
namespace {

using Mailboxes = std::vector<MailRecipient>;
using MailboxReader = Mailboxes (*)(std::string_view);
using DateReader = std::optional<platform::LocalTime> (*)(std::string_view);

struct Reader {
    const char* name;
    MailboxReader mailboxes;
    DateReader date;
};

const std::vector<Reader>& Readers() {
    static const std::vector<Reader> readers = {
        {"ours", ReadMailboxes, ParseMailDatePortable},
        {"ours, checked", ParseRecipientsPortable, ParseMailDatePortable},
#ifdef DRWA_HAVE_GMIME
        {"gmime", ParseRecipients, ParseMailDate},
#endif
    };
    return readers;
}

std::string Show(const Mailboxes& list) {
    std::string text;
    for (const MailRecipient& m : list) text += "[" + m.address + "|" + m.name + "]";
    return text;
}

struct AddressCase {
    const char* value;
    Mailboxes expected;
};

const AddressCase kAddressCases[] = {
    // Our group address: only the last "@" of the word starts the domain.
    {"\"POST,http://b/x,a=1,2\" <ab@c.GUID@bbs.invalid>",
     {{"ab@c.GUID@bbs.invalid", "POST,http://b/x,a=1,2"}}},
    // Text that looks like a stand-in for such an "@" stays as written.
    {"a^^at@b@c, \"(^^at^^)\" <x@y>", {{"a^^at@b@c", ""}, {"x@y", "(^^at^^)"}}},
    {"user@example.com", {{"user@example.com", ""}}},
    {"user@example.com (Taro  Yamada)", {{"user@example.com", "Taro  Yamada"}}},
    // Blanks around a name go, but not a vertical tab.
    {"x@y (\t a \v)", {{"x@y", "a \v"}}},
    {"  Taro \t Yamada  <t@y>", {{"t@y", "Taro \t Yamada"}}},
    {"\"a\\\"b\\\\c\" <x@y>", {{"x@y", "a\"b\\c"}}},
    // Trail bytes 0x5C (表, ソ) and 0x40 (the full-width space) are no
    // backslash and no "@".
    {"\"表ソ\" <x@y>", {{"x@y", "表ソ"}}},
    {"表　ソ <x@y>, 能@y", {{"x@y", "表　ソ"}, {"能@y", ""}}},
    {"a@b (表)", {{"a@b", "表"}}},
    {"Group: a@b, \"C\" <c@d>;, e@f", {{"a@b", ""}, {"c@d", "C"}, {"e@f", ""}}},
    {"Empty: ;", {}},
    // A fault inside a group skips to the next ";", which then ends the
    // enclosing group as well.
    {"G: H: (; g0", {{"g0", ""}}},
    {"<@r1,@r2:x@y>", {{"x@y", ""}}},
    // Names as some mailers write them, unquoted.
    {"a.b.c <x@y>", {{"x@y", "a.b.c"}}},
    {"Taro Yamada, Jr. <t@y>", {{"t@y", "Taro Yamada, Jr."}}},
    {"a@b <c@d>", {{"c@d", "a@b"}}},
    // A lone word before a comma is an address without a domain.
    {"Yamada, Taro <t@y>", {{"Yamada", ""}, {"t@y", "Taro"}}},
    {"nodomain", {{"nodomain", ""}}},
    // Broken brackets and quotes are forgiven.
    {"\"unterminated <x@y>", {{"x@y", "unterminated"}}},
    {"a <x@y", {{"x@y", "a"}}},
    {"a <<x@y>>", {{"x@y", "a"}}},
    {"x@y>", {{"x@y", ""}}},
    {"\"\" <x@y>", {{"x@y", ""}}},
    {"x@[1.2. 3], x@y.", {{"x@[1.2.3]", ""}, {"x@y", ""}}},
    {", , x@y,,", {{"x@y", ""}}},
    // An unreadable address is skipped; an open comment voids the list.
    {"<>, x@y", {{"x@y", ""}}},
    {"x@y, (open", {}},
    {"a@b (x\\)", {}},
    {"", {}},
};

TEST(MailHeaderParser, AddressListsReadAlikeByEveryReader) {
    for (const Reader& reader : Readers()) {
        for (const AddressCase& c : kAddressCases) {
            EXPECT_EQ(Show(reader.mailboxes(c.value)), Show(c.expected))
                << reader.name << " on " << c.value;
        }
    }
}

TEST(MailHeaderParser, ValueThatIsNotShiftJisIsRefused) {
    for (const Reader& reader : Readers()) {
        if (reader.mailboxes == ReadMailboxes) continue;  // reads any bytes
        EXPECT_THROW(reader.mailboxes("x@y, \x81"), Error) << reader.name;
    }
}

MailDateTime Moment(int y, int mo, int d, int h, int mi, int s, int zone) {
    return {y, mo, d, h, mi, s, zone};
}

struct DateCase {
    const char* value;
    std::optional<MailDateTime> expected;  // in the sender's zone
};

const DateCase kDateCases[] = {
    {"Tue, 9 Dec 2003 13:05:07 +0900", Moment(2003, 12, 9, 13, 5, 7, 540)},
    {"9 Dec 2003 13:05 -0530", Moment(2003, 12, 9, 13, 5, 0, -330)},
    {"Tue, 9 Dec 03 13:05:07 GMT", Moment(2003, 12, 9, 13, 5, 7, 0)},
    {"tuesday, 9 december 99 13:05:07 EST", Moment(1999, 12, 9, 13, 5, 7, -300)},
    {"Tue, 9 Dec 2003 13:05:07 JST", Moment(2003, 12, 9, 13, 5, 7, 540)},
    {"Tue, 9 Dec 2003 13:05:07 +0900 (JST)", Moment(2003, 12, 9, 13, 5, 7, 540)},
    {"Tue, 9 Dec 2003 13:05:07 (PDT)", Moment(2003, 12, 9, 13, 5, 7, -420)},
    {"Tue, 9 Dec 2003 13:05:07 () PDT", Moment(2003, 12, 9, 13, 5, 7, -420)},
    {"Tue, 9 Dec 2003 13:05:07", Moment(2003, 12, 9, 13, 5, 7, 0)},
    // Military letters with RFC 822's signs.
    {"Tue, 9 Dec 2003 13:05:07 N", Moment(2003, 12, 9, 13, 5, 7, -60)},
    // A zone that is no offset counts as UTC.
    {"Tue, 9 Dec 2003 13:05:07 +2400", Moment(2003, 12, 9, 13, 5, 7, 0)},
    {"Tue, 9 Dec 2003 13:05:07 +09:00", Moment(2003, 12, 9, 13, 5, 7, 0)},
    // Broken forms: another order, numeric months (month first), ISO dates.
    {"Tue Dec  9 13:05:07 2003", Moment(2003, 12, 9, 13, 5, 7, 0)},
    {"12/09/2003 13:05 EST", Moment(2003, 12, 9, 13, 5, 0, -300)},
    {"2003-12-09 13:05:07 +0900", Moment(2003, 12, 9, 13, 5, 7, 540)},
    {"29 Feb 2004 00:00:00 +0000", Moment(2004, 2, 29, 0, 0, 0, 0)},
    // No such moment.
    {"31 Feb 2003 10:00:00 +0000", std::nullopt},
    {"9 Dec 2003 13:05:60 +0000", std::nullopt},
    {"9 Dec 1960 13:05:07 +0000", std::nullopt},
    {"Dec 2003", std::nullopt},
    {"garbage", std::nullopt},
    {"", std::nullopt},
};

// The instant and weekday of a local time, to compare with the sender's.
std::int64_t Instant(const platform::LocalTime& t) {
    return UtcSeconds({t.year, t.month, t.day, t.hour, t.minute, t.second,
                       static_cast<int>(t.utc_offset_seconds / 60)});
}

int Weekday(std::int64_t local_seconds) {
    const std::int64_t days = (local_seconds >= 0 ? local_seconds : local_seconds - 86399) / 86400;
    return static_cast<int>(((days + 4) % 7 + 7) % 7);  // 1970-01-01 was a Thursday
}

TEST(MailHeaderParser, DatesReadAlikeByEveryReader) {
    for (const DateCase& c : kDateCases) {
        EXPECT_EQ(ReadMailDate(c.value), c.expected) << c.value;
        for (const Reader& reader : Readers()) {
            const std::optional<platform::LocalTime> local = reader.date(c.value);
            ASSERT_EQ(local.has_value(), c.expected.has_value())
                << reader.name << " on " << c.value;
            if (!local) continue;
            EXPECT_EQ(Instant(*local), UtcSeconds(*c.expected)) << reader.name << " on " << c.value;
            EXPECT_EQ(local->weekday, Weekday(Instant(*local) + local->utc_offset_seconds))
                << reader.name << " on " << c.value;
        }
    }
}

// Run with TZ and the zone's offset named (a zone without summer time), the
// moment is turned into that zone's wall clock.
TEST(MailHeaderParser, LocalTimeIsTheZonesWallClock) {
    const char* expected = std::getenv("DRWA_EXPECT_UTC_OFFSET");
    if (!expected) GTEST_SKIP() << "DRWA_EXPECT_UTC_OFFSET not set";
    const long offset = std::atol(expected);
    const std::optional<platform::LocalTime> t =
        ParseMailDatePortable("Tue, 9 Dec 2003 13:05:07 +0000");
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(t->utc_offset_seconds, offset);
    EXPECT_EQ(t->hour * 3600 + t->minute * 60, (13 * 3600 + 5 * 60 + offset + 86400) % 86400);
}

}  // namespace
}  // namespace drwa::post
