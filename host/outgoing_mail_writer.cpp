#include "outgoing_mail_writer.h"

#include <gmime/gmime.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <optional>

#include "terminal_text.h"
#include "text/code_conversions.h"
#include "text/header_words.h"

namespace drwa_host {
namespace {

struct GObjectUnref {
    void operator()(void* object) const { g_object_unref(object); }
};
template <typename T>
using GPtr = std::unique_ptr<T, GObjectUnref>;

struct GFree {
    void operator()(void* p) const { g_free(p); }
};
using GText = std::unique_ptr<char, GFree>;

struct ParserOptionsFree {
    void operator()(GMimeParserOptions* o) const { g_mime_parser_options_free(o); }
};
using ParserOptions = std::unique_ptr<GMimeParserOptions, ParserOptionsFree>;

// Parts nested deeper than this are left out rather than walked.
constexpr int kMaxPartDepth = 32;

std::string Trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

std::string Text(GText text) {
    return text ? std::string(text.get()) : std::string();
}

bool IsPrintableAscii(std::string_view s) {
    return std::ranges::all_of(s, [](char c) { return c >= 0x20 && c < 0x7F; });
}

// Raw 8-bit header text is most likely UTF-8, else the CP932 of older
// Japanese mailers.
ParserOptions MakeParserOptions() {
    ParserOptions options(g_mime_parser_options_new());
    const char* charsets[] = {"UTF-8", "CP932", nullptr};
    g_mime_parser_options_set_fallback_charsets(options.get(), charsets);
    return options;
}

// The value of the first header of that name, unfolded and trimmed.
std::optional<std::string> RawHeader(GMimeObject* object, const char* name) {
    GMimeHeader* header =
        g_mime_header_list_get_header(g_mime_object_get_header_list(object), name);
    if (!header) return std::nullopt;
    const char* raw = g_mime_header_get_raw_value(header);
    std::string value = raw ? raw : "";
    std::erase_if(value, [](char c) { return c == '\r' || c == '\n'; });
    return Trimmed(value);
}

// The value with every "B" encoded word written as a "Q" word of the same
// bytes. GMime (3.2 as in Debian 12) joins adjacent words of one charset
// before decoding them, so that a character split between two words comes
// out whole; but the joined Base64 ends at the first word's padding, and the
// rest of a folded Subject or display name was lost. Joined "Q" text has no
// such end.
std::string WithQWords(const std::string& value) {
    std::string out;
    std::size_t i = 0;
    for (std::size_t at; (at = value.find("=?", i)) != std::string::npos;) {
        const std::size_t charset_end = value.find('?', at + 2);
        if (charset_end == std::string::npos || charset_end + 2 >= value.size() ||
            (value[charset_end + 1] != 'B' && value[charset_end + 1] != 'b') ||
            value[charset_end + 2] != '?') {
            out.append(value, i, at + 2 - i);
            i = at + 2;
            continue;
        }
        const std::size_t text = charset_end + 3;
        const std::size_t end = value.find("?=", text);
        if (end == std::string::npos) break;
        gsize length = 0;
        GText bytes(reinterpret_cast<char*>(
            g_base64_decode(value.substr(text, end - text).c_str(), &length)));
        out.append(value, i, charset_end + 1 - i);
        out += "Q?";
        for (gsize k = 0; k < length; ++k) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "=%02X", static_cast<unsigned char>(bytes.get()[k]));
            out += hex;
        }
        out += "?=";
        i = end + 2;
    }
    return out.append(value, i, std::string::npos);
}

// An unstructured header (Subject) as CP932: encoded words of any charset
// decoded, raw ISO-2022-JP of old mailers read too.
std::string DecodedText(GMimeParserOptions* options, std::string raw) {
    if (raw.find('\x1B') != std::string::npos) raw = ToUtf8(drwa::text::Iso2022JpToShiftJis(raw));
    raw = WithQWords(raw);
    const std::string utf8 = Text(GText(g_mime_utils_header_decode_text(options, raw.c_str())));
    return Trimmed(WithoutControls(Utf8ToCp932(utf8), true));
}

// A local part the library's group address can be: atom characters, "."
// and the "@" of the file-name Base64. The received mails carry it bare, and
// the library reads it back bare; anything else keeps its quotes.
bool IsGroupLocalPart(std::string_view s) {
    constexpr std::string_view kSpecials = "()<>[]:;\\,\" ";
    return !s.empty() && std::ranges::all_of(s, [&](char c) {
        return c > 0x20 && c < 0x7F && kSpecials.find(c) == std::string_view::npos;
    });
}

std::string Quoted(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

// The local part of an address without the quotes a client may have put
// around it.
std::string Unquoted(std::string_view local) {
    if (local.size() < 2 || local.front() != '"' || local.back() != '"') return std::string(local);
    std::string out;
    for (std::size_t i = 1; i + 1 < local.size(); ++i) {
        if (local[i] == '\\' && i + 2 < local.size()) ++i;
        out += local[i];
    }
    return out;
}

// The group address's source name is file-name Base64, whose value 63 is
// "@", and the received mails carry it bare ("<k@@@+w==.GUID@domain>"): no
// RFC 5322 parser reads that. Quoted, the local part is one word again.
std::string WithQuotedLocalPart(const std::string& value) {
    const std::size_t open = value.rfind('<');
    const std::size_t close = value.find('>', open == std::string::npos ? 0 : open);
    if (open == std::string::npos || close == std::string::npos) return value;
    const std::string spec = value.substr(open + 1, close - open - 1);
    const std::size_t at = spec.rfind('@');
    if (at == std::string::npos || spec.find('@') == at || spec.starts_with('"')) return value;
    return value.substr(0, open + 1) + Quoted(spec.substr(0, at)) + spec.substr(at) +
           value.substr(close);
}

// "name <local@domain>" in CP932, the name quoted where it must be (always
// for To, whose name is the post command with its commas, as the library
// wrote it into the Reply-To).
std::string MailboxText(InternetAddressMailbox* mailbox, bool always_quote) {
    const std::string addr = internet_address_mailbox_get_addr(mailbox);
    const std::size_t at = addr.rfind('@');
    std::string local = Unquoted(addr.substr(0, at == std::string::npos ? addr.size() : at));
    if (!IsGroupLocalPart(local)) local = Quoted(local);
    std::string out = "<" + WithoutControls(local, false) +
                      (at == std::string::npos ? "" : WithoutControls(addr.substr(at), false)) +
                      ">";
    const char* raw_name = internet_address_get_name(INTERNET_ADDRESS(mailbox));
    const std::string name = raw_name ? raw_name : "";
    if (name.empty()) return out;
    const std::string cp932 = WithoutControls(Utf8ToCp932(name), true);
    const bool quote =
        always_quote || !std::ranges::all_of(cp932, [](char c) {
            return static_cast<unsigned char>(c) >= 0x80 ||
                   std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string_view(" !#$%&'*+-/=?^_`{|}~").find(c) != std::string_view::npos;
        });
    // Quoting works on the UTF-8 name: in CP932 a 0x5C may be a trail byte.
    const std::string shown = quote ? WithoutControls(Utf8ToCp932(Quoted(name)), true) : cp932;
    return shown + " " + out;
}

std::vector<InternetAddressMailbox*> Mailboxes(InternetAddressList* list) {
    std::vector<InternetAddressMailbox*> out;
    const int count = list ? internet_address_list_length(list) : 0;
    for (int i = 0; i < count; ++i) {
        InternetAddress* address = internet_address_list_get_address(list, i);
        if (INTERNET_ADDRESS_IS_MAILBOX(address)) {
            out.push_back(INTERNET_ADDRESS_MAILBOX(address));
        } else if (INTERNET_ADDRESS_IS_GROUP(address)) {
            auto nested =
                Mailboxes(internet_address_group_get_members(INTERNET_ADDRESS_GROUP(address)));
            out.insert(out.end(), nested.begin(), nested.end());
        }
    }
    return out;
}

GPtr<InternetAddressList> ParseAddresses(GMimeParserOptions* options, const std::string& value) {
    return GPtr<InternetAddressList>(
        internet_address_list_parse(options, WithQWords(WithQuotedLocalPart(value)).c_str()));
}

std::string AddressOf(InternetAddressMailbox* box) {
    const char* addr = internet_address_mailbox_get_addr(box);
    return addr ? addr : "";
}

bool SameAddress(const std::string& a, const std::string& b) {
    return g_ascii_strcasecmp(a.c_str(), b.c_str()) == 0;
}

// The addresses of the mail's To, Cc and Bcc headers, parsed; the lists own
// the mailboxes.
struct HeaderAddresses {
    std::vector<GPtr<InternetAddressList>> lists;
    std::vector<InternetAddressMailbox*> boxes;
};

HeaderAddresses ReadHeaderAddresses(GMimeParserOptions* options, GMimeObject* message,
                                    std::initializer_list<const char*> names) {
    HeaderAddresses out;
    for (const char* name : names) {
        const std::optional<std::string> value = RawHeader(message, name);
        if (!value || value->empty()) continue;
        out.lists.push_back(ParseAddresses(options, *value));
        for (InternetAddressMailbox* box : Mailboxes(out.lists.back().get()))
            out.boxes.push_back(box);
    }
    return out;
}

// The To line: the one board the mail goes to, as the header names it (its
// display name is the post command), else as the command line does.
std::string ToLine(GMimeParserOptions* options, GMimeObject* message,
                   const std::vector<std::string>& boards) {
    HeaderAddresses headers = ReadHeaderAddresses(options, message, {"To", "Cc"});
    std::vector<InternetAddressMailbox*> chosen;
    auto take = [&](InternetAddressMailbox* box) {
        const std::string addr = AddressOf(box);
        if (std::ranges::none_of(chosen, [&](auto* c) { return SameAddress(AddressOf(c), addr); }))
            chosen.push_back(box);
    };
    for (InternetAddressMailbox* box : headers.boxes) {
        const std::string addr = AddressOf(box);
        const bool named = boards.empty() || std::ranges::any_of(boards, [&](const std::string& b) {
                               return SameAddress(b, addr);
                           });
        if (IsBoardAddress(addr) && named) take(box);
    }
    GPtr<InternetAddressList> given;
    if (chosen.empty() && !boards.empty()) {
        given = ParseAddresses(options, boards.front());
        for (InternetAddressMailbox* box : Mailboxes(given.get())) take(box);
    }
    if (chosen.empty()) throw MailDataError("the mail has no board's address");
    // The library would drop a mail for several boards as unpostable after
    // the client has forgotten it; refused here, the client keeps it.
    if (chosen.size() > 1 || boards.size() > 1)
        throw MailDataError("the mail has more than one board's address: one board each");
    return drwa::text::EncodeHeaderLine("To: " + MailboxText(chosen.front(), true));
}

std::optional<std::string> FromLine(GMimeParserOptions* options, GMimeObject* message) {
    const std::optional<std::string> from = RawHeader(message, "From");
    if (!from) return std::nullopt;
    GPtr<InternetAddressList> list = ParseAddresses(options, *from);
    std::string line;
    for (InternetAddressMailbox* box : Mailboxes(list.get()))
        line += (line.empty() ? "" : ", ") + MailboxText(box, false);
    if (line.empty()) return std::nullopt;
    return drwa::text::EncodeHeaderLine("From: " + line);
}

std::string DateValue(GMimeMessage* message) {
    std::optional<std::string> raw = RawHeader(GMIME_OBJECT(message), "Date");
    if (raw && IsPrintableAscii(*raw) && g_mime_message_get_date(message)) return *raw;
    GDateTime* now = g_date_time_new_now_local();
    std::string made = Text(GText(g_mime_utils_header_format_date(now)));
    g_date_time_unref(now);
    return made;
}

std::string PartName(GMimeObject* part) {
    std::string name =
        Text(GText(g_mime_content_type_get_mime_type(g_mime_object_get_content_type(part))));
    if (GMIME_IS_PART(part)) {
        if (const char* file = g_mime_part_get_filename(GMIME_PART(part)))
            name += " (" + WithoutControls(file, true) + ")";
    }
    return name;
}

bool IsAttachment(GMimeObject* part) {
    GMimeContentDisposition* d = g_mime_object_get_content_disposition(part);
    return d && g_mime_content_disposition_is_attachment(d);
}

// The leaves of the part tree in order; what lies too deep counts as one
// leaf, so that it is named among the dropped parts.
void CollectLeaves(GMimeObject* part, int depth, std::vector<GMimeObject*>& leaves) {
    if (GMIME_IS_MULTIPART(part) && depth < kMaxPartDepth) {
        GMimeMultipart* multipart = GMIME_MULTIPART(part);
        for (int i = 0; i < g_mime_multipart_get_count(multipart); ++i)
            CollectLeaves(g_mime_multipart_get_part(multipart, i), depth + 1, leaves);
    } else if (part) {
        leaves.push_back(part);
    }
}

bool IsPlainText(GMimeObject* part) {
    return GMIME_IS_PART(part) &&
           g_mime_content_type_is_type(g_mime_object_get_content_type(part), "text", "plain");
}

// The body text: the first inline text/plain part (the first text/plain
// attachment when there is no inline one); the others are named in `dropped`.
GMimeObject* ChooseTextPart(GMimeObject* root, std::vector<std::string>& dropped) {
    std::vector<GMimeObject*> leaves;
    CollectLeaves(root, 0, leaves);
    auto chosen = std::ranges::find_if(
        leaves, [](GMimeObject* p) { return IsPlainText(p) && !IsAttachment(p); });
    if (chosen == leaves.end()) chosen = std::ranges::find_if(leaves, IsPlainText);
    if (chosen == leaves.end()) throw MailDataError("the mail has no text/plain part");
    for (GMimeObject* leaf : leaves)
        if (leaf != *chosen) dropped.push_back(PartName(leaf));
    return *chosen;
}

std::string DecodedContent(GMimeObject* part) {
    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
    if (!content) return {};
    GPtr<GMimeStream> stream(g_mime_stream_mem_new());
    g_mime_data_wrapper_write_to_stream(content, stream.get());
    GByteArray* bytes = g_mime_stream_mem_get_byte_array(GMIME_STREAM_MEM(stream.get()));
    return std::string(reinterpret_cast<const char*>(bytes->data), bytes->len);
}

bool ParameterIs(GMimeObject* part, const char* name, std::string_view value) {
    const char* found = g_mime_object_get_content_type_parameter(part, name);
    return found && g_ascii_strcasecmp(found, std::string(value).c_str()) == 0;
}

// The body as ISO-2022-JP lines ending in CR LF.
std::string BodyText(GMimeObject* part) {
    const char* charset = g_mime_object_get_content_type_parameter(part, "charset");
    const char* iconv_name = charset ? g_mime_charset_iconv_name(charset) : nullptr;
    const std::string cp932 =
        BodyToCp932(DecodedContent(part), charset ? charset : "", iconv_name ? iconv_name : "");
    std::vector<std::string> lines = TextLines(cp932);
    if (ParameterIs(part, "format", "flowed"))
        lines = Unflow(lines, ParameterIs(part, "delsp", "yes"));
    std::string text;
    for (const std::string& line : lines) text += WithoutControls(line, false) + "\r\n";
    return drwa::text::ShiftJisToIso2022Jp(text);
}

// The first line must be a header field: "name:" with printable name bytes.
bool BeginsWithHeader(std::string_view mail) {
    const std::size_t colon = mail.find(':');
    if (colon == 0 || colon == std::string_view::npos) return false;
    return std::ranges::all_of(mail.substr(0, colon), [](char c) { return c > 0x20 && c < 0x7F; });
}

// Whatever the input held, the file is 7-bit: a byte the converters passed
// through as it came (malformed Shift_JIS) becomes "?".
std::string SevenBit(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) >= 0x80) c = '?';
    return text;
}

void InitGMime() {
    static const bool done = (g_mime_init(), true);
    (void)done;
}

GPtr<GMimeMessage> ParseMail(std::string_view mail, GMimeParserOptions* options) {
    InitGMime();
    if (!BeginsWithHeader(mail)) throw MailDataError("the input does not begin with a mail header");
    GPtr<GMimeStream> stream(g_mime_stream_mem_new_with_buffer(mail.data(), mail.size()));
    GPtr<GMimeParser> parser(g_mime_parser_new_with_stream(stream.get()));
    GPtr<GMimeMessage> message(g_mime_parser_construct_message(parser.get(), options));
    if (!message) throw MailDataError("the input is not a mail");
    return message;
}

}  // namespace

bool IsBoardAddress(std::string_view address) {
    const std::size_t at = address.rfind('@');
    std::string local =
        Unquoted(address.substr(0, at == std::string_view::npos ? address.size() : at));
    // 8-4-4-4-12 hexadecimal digits, alone or after the source name and ".".
    constexpr std::string_view kShape = "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx";
    if (local.size() < kShape.size()) return false;
    const std::string_view guid = std::string_view(local).substr(local.size() - kShape.size());
    if (local.size() > kShape.size() && local[local.size() - kShape.size() - 1] != '.')
        return false;
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool hex = std::isxdigit(static_cast<unsigned char>(guid[i])) != 0;
        if (kShape[i] == '-' ? guid[i] != '-' : !hex) return false;
    }
    return true;
}

std::vector<std::string> MailRecipients(std::string_view mail) {
    const ParserOptions options = MakeParserOptions();
    GPtr<GMimeMessage> message = ParseMail(mail, options.get());
    std::vector<std::string> out;
    for (InternetAddressMailbox* box :
         ReadHeaderAddresses(options.get(), GMIME_OBJECT(message.get()), {"To", "Cc", "Bcc"}).boxes)
        out.push_back(AddressOf(box));
    return out;
}

OutgoingMail WriteOutgoingMail(std::string_view mail, const std::vector<std::string>& recipients) {
    const ParserOptions options = MakeParserOptions();
    GPtr<GMimeMessage> message = ParseMail(mail, options.get());
    GMimeObject* object = GMIME_OBJECT(message.get());

    OutgoingMail out;
    GMimeObject* text_part =
        ChooseTextPart(g_mime_message_get_mime_part(message.get()), out.dropped);

    std::vector<std::string> header{"Date: " + DateValue(message.get())};
    if (auto from = FromLine(options.get(), object)) header.push_back(*from);
    header.push_back(ToLine(options.get(), object, recipients));
    if (auto subject = RawHeader(object, "Subject"))
        header.push_back(
            drwa::text::EncodeHeaderLine("Subject: " + DecodedText(options.get(), *subject)));
    for (const char* name : {"Message-ID", "In-Reply-To", "References"}) {
        const std::optional<std::string> value = RawHeader(object, name);
        if (value && !value->empty() && IsPrintableAscii(*value))
            header.push_back(std::string(name) + ": " + *value);
    }
    header.insert(header.end(),
                  {"MIME-Version: 1.0", "Content-Type: text/plain; charset=ISO-2022-JP",
                   "Content-Transfer-Encoding: 7bit"});
    for (const std::string& line : header) out.file += line + "\r\n";
    out.file += "\r\n" + BodyText(text_part);
    out.file = SevenBit(std::move(out.file));
    return out;
}

}  // namespace drwa_host
