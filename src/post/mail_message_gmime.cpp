// ParseRecipients and ParseMailDate through GMime, for the Linux build.
#include "post/mail_message.h"

#include <gmime/gmime.h>

#include <memory>
#include <mutex>

#include "common/error.h"
#include "config/ini_file.h"
#include "config/text_helpers.h"
#include "platform/charset_edge.h"

namespace drwa::post {
namespace {

struct GObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using AddressListPtr = std::unique_ptr<InternetAddressList, GObjectUnref>;

struct ParserOptionsFree {
    void operator()(GMimeParserOptions* options) const { g_mime_parser_options_free(options); }
};
using ParserOptionsPtr = std::unique_ptr<GMimeParserOptions, ParserOptionsFree>;

struct DateTimeUnref {
    void operator()(GDateTime* time) const { g_date_time_unref(time); }
};
using DateTimePtr = std::unique_ptr<GDateTime, DateTimeUnref>;

void InitMailLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { g_mime_init(); });
}

// The library's group addresses carry the source name in the file-name-safe
// Base64, whose alphabet has "@" for 63: "ab@c.GUID@domain" is an address we
// wrote ourselves. The mail library reads only the last "@" of an address as
// the domain's start, so every earlier "@" of a word stands in disguise while
// the list is parsed. Quoted strings and comments (display names) are left
// alone. The stand-in is U+10FFFD in UTF-8: atom characters to the library,
// and a character of a private-use plane that no Shift_JIS text can hold, so
// it never meets text of the value itself ("^^at" next to a disguised "@").
constexpr std::string_view kAtStandIn = "\xF4\x8F\xBF\xBD";

bool EndsWord(char c) {
    return std::string_view(" \t\r\n<>,;:\"()").find(c) != std::string_view::npos;
}

// The quoted string or (nested) comment that starts at value[at], with its
// backslash pairs, up to its end or the end of the text.
std::size_t EndOfQuotedOrComment(std::string_view value, std::size_t at) {
    const bool quoted = value[at] == '"';
    int depth = 0;
    for (std::size_t i = at; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '\\') {
            ++i;
        } else if (quoted) {
            if (c == '"' && i != at) return i + 1;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i + 1;
        }
    }
    return value.size();
}

std::string DisguiseInnerAts(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    std::size_t i = 0;
    while (i < value.size()) {
        if (value[i] == '"' || value[i] == '(') {
            const std::size_t end = EndOfQuotedOrComment(value, i);
            out.append(value.substr(i, end - i));
            i = end;
        } else if (EndsWord(value[i])) {
            out += value[i++];
        } else {
            std::size_t end = i;
            while (end < value.size() && !EndsWord(value[end])) ++end;
            std::string word(value.substr(i, end - i));
            const std::size_t last_at = word.rfind('@');
            if (last_at != std::string::npos) {
                std::string head = word.substr(0, last_at);
                config::ReplaceAll(head, "@", kAtStandIn);
                word = head + word.substr(last_at);
            }
            out += word;
            i = end;
        }
    }
    return out;
}

std::string ToSjis(const char* utf8) {
    if (!utf8) return {};
    std::string text(utf8);
    config::ReplaceAll(text, kAtStandIn, "@");
    std::optional<std::string> sjis = platform::TryUtf8ToCp932(text);
    if (!sjis) throw Error("宛先にShift_JISで表せない文字があります");
    return *sjis;
}

void CollectMailboxes(InternetAddressList* list, std::vector<MailRecipient>& out) {
    const int count = internet_address_list_length(list);
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_GROUP(address)) {
            CollectMailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)),
                             out);
        } else if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            out.push_back(
                {ToSjis(internet_address_mailbox_get_addr(INTERNET_ADDRESS_MAILBOX(address))),
                 ToSjis(internet_address_get_name(address))});
        }
    }
}

// GMime reads the zone name "JST" as +0000; Japanese mail writes it for +0900.
std::string WithJapaneseZone(std::string_view value) {
    std::string text(value);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    if (text.size() < 4 || !config::SameTextNoCase(text.substr(text.size() - 4), " JST"))
        return text;
    text.resize(text.size() - 4);
    const std::size_t zone = text.find_last_of(' ');
    const char first = zone == std::string::npos ? '\0' : text[zone + 1];
    // "+0900 JST" has its zone already.
    if (first != '+' && first != '-') text += " +0900";
    return text;
}

}  // namespace

std::vector<MailRecipient> ParseRecipients(std::string_view sjis_value) {
    InitMailLibrary();
    // A Shift_JIS trail byte 0x5C inside a quoted name (表, ソ) would escape
    // the closing quote: the library sees the value in UTF-8 only.
    const std::optional<std::string> utf8 = platform::TryCp932ToUtf8(sjis_value);
    if (!utf8) throw Error("宛先を読めません: Shift_JISでない文字があります");
    const ParserOptionsPtr options(g_mime_parser_options_new());
    g_mime_parser_options_set_address_compliance_mode(options.get(), GMIME_RFC_COMPLIANCE_LOOSE);
    g_mime_parser_options_set_allow_addresses_without_domain(options.get(), TRUE);
    // The library reads up to a NUL; the disguise must see the same words.
    const std::string_view text = std::string_view(*utf8).substr(0, utf8->find('\0'));
    const AddressListPtr list(
        internet_address_list_parse(options.get(), DisguiseInnerAts(text).c_str()));
    std::vector<MailRecipient> recipients;
    if (list) CollectMailboxes(list.get(), recipients);
    return recipients;
}

std::optional<platform::LocalTime> ParseMailDate(std::string_view value) {
    InitMailLibrary();
    const DateTimePtr parsed(g_mime_utils_header_decode_date(WithJapaneseZone(value).c_str()));
    if (!parsed) return std::nullopt;
    const DateTimePtr local(g_date_time_to_local(parsed.get()));
    if (!local) return std::nullopt;
    platform::LocalTime t;
    t.year = g_date_time_get_year(local.get());
    t.month = g_date_time_get_month(local.get());
    t.day = g_date_time_get_day_of_month(local.get());
    t.hour = g_date_time_get_hour(local.get());
    t.minute = g_date_time_get_minute(local.get());
    t.second = g_date_time_get_second(local.get());
    t.weekday = g_date_time_get_day_of_week(local.get()) % 7;  // GLib: 7 = Sunday
    t.utc_offset_seconds =
        static_cast<long>(g_date_time_get_utc_offset(local.get()) / G_TIME_SPAN_SECOND);
    return t;
}

}  // namespace drwa::post
