#include "post/mail_address_parser.h"

#include <optional>
#include <string>

#include "text/sjis_bytes.h"

namespace drwa::post {
namespace {

constexpr std::string_view kSpecials = "()<>@,;:\\\".[]";
// Inside a domain literal these end or split the text; control characters and
// line feeds do not.
constexpr std::string_view kLiteralSpecials = "[]\\\r \t";
constexpr std::string_view kBlanks = " \t\r\n";

bool Among(std::string_view set, char c) {
    return set.find(c) != std::string_view::npos;
}

// A parse over one value. Positions are byte offsets; a double-byte character
// is always stepped over whole and is an atom character, whatever its trail
// byte. The end of the value reads as a NUL, as in a C string.
class AddressReader {
  public:
    explicit AddressReader(std::string_view value) : s_(value.substr(0, value.find('\0'))) {
        MarkInnerAts();
    }

    std::vector<MailRecipient> Read() {
        std::vector<MailRecipient> out;
        std::size_t pos = 0;
        // A comment left open anywhere between the list's addresses voids the
        // whole list, as in the mail library.
        if (!ReadList(pos, false, out)) return {};
        return out;
    }

  private:
    std::string_view s_;
    // "@"s of a word that are not its last: addresses we write ourselves carry
    // a source name in the file-name-safe Base64, whose alphabet has "@"; only
    // a word's last "@" starts its domain.
    std::vector<bool> inner_at_;

    // An inner "@" reads as an atom character wherever the grammar looks for
    // an "@".
    char At(std::size_t i) const {
        if (i >= s_.size()) return '\0';
        return inner_at_[i] ? '^' : s_[i];
    }
    bool End(std::size_t i) const { return i >= s_.size(); }
    std::size_t Step(std::size_t i) const { return i + text::SjisCharLength(s_, i); }
    bool Wide(std::size_t i) const { return Step(i) - i == 2; }
    static bool High(char c) { return static_cast<unsigned char>(c) >= 0x80; }

    bool IsBlank(std::size_t i) const { return !End(i) && !Wide(i) && Among(kBlanks, s_[i]); }
    bool IsAtom(std::size_t i) const {
        if (End(i)) return false;
        const char c = s_[i];
        if (Wide(i) || High(c) || inner_at_[i]) return true;
        return c > ' ' && c != 0x7F && !Among(kSpecials, c);
    }
    bool IsLiteralText(std::size_t i) const {
        return !End(i) && (Wide(i) || !Among(kLiteralSpecials, s_[i]));
    }

    void MarkInnerAts();
    std::size_t EndOfQuotedOrComment(std::size_t at) const;

    void SkipBlanks(std::size_t& pos) const {
        while (IsBlank(pos)) ++pos;
    }
    // Leaves `pos` after the comment, or at the end when it is left open.
    bool SkipComment(std::size_t& pos) const;
    // Blanks and comments; `pos` is kept where it was when a comment is open.
    bool SkipCfws(std::size_t& pos) const;
    bool SkipQuoted(std::size_t& pos) const;
    bool SkipAtom(std::size_t& pos) const {
        const std::size_t start = pos;
        while (IsAtom(pos)) pos = Step(pos);
        return pos > start;
    }
    bool SkipWord(std::size_t& pos) const {
        if (At(pos) == '"') return SkipQuoted(pos);
        return SkipAtom(pos);
    }

    bool SkipRouteDomain(std::size_t& pos) const;
    bool SkipRoute(std::size_t& pos) const;
    bool ReadLocalPart(std::string& out, std::size_t& pos) const;
    bool ReadDotAtom(std::string& out, std::size_t& pos, std::string_view sentinels) const;
    bool ReadDomainLiteral(std::string& out, std::size_t& pos) const;
    std::optional<std::string> ReadAddrSpec(std::size_t& pos, std::string_view sentinels) const;
    std::string NameFrom(std::size_t from, std::size_t length) const;
    bool ReadTrailingComment(std::size_t& pos, std::string& name) const;

    bool ReadAngleAddress(std::size_t& pos, std::string name, std::vector<MailRecipient>& out);
    void ReadGroupMembers(std::size_t& pos, std::vector<MailRecipient>& out);
    bool ReadAddress(std::size_t& pos, std::vector<MailRecipient>& out);
    bool ReadList(std::size_t& pos, bool in_group, std::vector<MailRecipient>& out);
};

// The bounds of quoted strings and comments as the word scan below sees them:
// a backslash takes the next character with it.
std::size_t AddressReader::EndOfQuotedOrComment(std::size_t at) const {
    const bool quoted = s_[at] == '"';
    int depth = 0;
    for (std::size_t i = at; i < s_.size(); i = Step(i)) {
        const char c = s_[i];
        if (Wide(i)) continue;
        if (c == '\\') {
            i = Step(i);
            if (End(i)) break;
        } else if (quoted) {
            if (c == '"' && i != at) return i + 1;
        } else if (c == '(') {
            ++depth;
        } else if (c == ')' && --depth == 0) {
            return i + 1;
        }
    }
    return s_.size();
}

void AddressReader::MarkInnerAts() {
    inner_at_.assign(s_.size(), false);
    constexpr std::string_view kWordEnds = " \t\r\n<>,;:\"()";
    std::size_t i = 0;
    while (i < s_.size()) {
        if (!Wide(i) && (s_[i] == '"' || s_[i] == '(')) {
            i = EndOfQuotedOrComment(i);
        } else if (!Wide(i) && Among(kWordEnds, s_[i])) {
            ++i;
        } else {
            std::optional<std::size_t> last_at;
            for (; i < s_.size() && (Wide(i) || !Among(kWordEnds, s_[i])); i = Step(i)) {
                if (Wide(i) || s_[i] != '@') continue;
                if (last_at) inner_at_[*last_at] = true;
                last_at = i;
            }
        }
    }
}

bool AddressReader::SkipComment(std::size_t& pos) const {
    int depth = 1;
    std::size_t i = pos + 1;
    while (!End(i) && depth > 0) {
        if (!Wide(i)) {
            if (s_[i] == '\\' && !End(i + 1))
                i = i + 1;
            else if (s_[i] == '(')
                ++depth;
            else if (s_[i] == ')')
                --depth;
        }
        i = Step(i);
    }
    pos = i;
    return depth == 0;
}

bool AddressReader::SkipCfws(std::size_t& pos) const {
    std::size_t i = pos;
    SkipBlanks(i);
    while (At(i) == '(') {
        if (!SkipComment(i)) return false;
        SkipBlanks(i);
    }
    pos = i;
    return true;
}

bool AddressReader::SkipQuoted(std::size_t& pos) const {
    bool escaped = false;
    std::size_t i = pos + 1;
    for (; !End(i); i = Step(i)) {
        if (Wide(i)) {
            escaped = false;
        } else if (s_[i] == '\\') {
            escaped = !escaped;
        } else if (!escaped && s_[i] == '"') {
            break;
        } else {
            escaped = false;
        }
    }
    if (End(i)) {
        pos = i;
        return false;
    }
    pos = i + 1;
    return true;
}

// A domain of an obsolete route ("@a,@b:"), read only to be stepped over.
bool AddressReader::SkipRouteDomain(std::size_t& pos) const {
    bool got = false;
    std::size_t i = pos;
    while (!End(i)) {
        SkipCfws(i);
        if (At(i) == '[') {
            got = true;
            ++i;
            SkipCfws(i);
            while (!End(i) && At(i) != ']') {
                bool text = false;
                while (!End(i) && At(i) != '.' && At(i) != ']') {
                    if (IsLiteralText(i)) {
                        i = Step(i);
                        text = true;
                    } else if (IsBlank(i)) {
                        SkipBlanks(i);
                    } else {
                        break;
                    }
                }
                if (text && At(i) == '.')
                    ++i;
                else if (!End(i) && At(i) != ']')
                    i = Step(i);
            }
            if (At(i) == ']') ++i;
        } else {
            if (!SkipAtom(i)) break;
            got = true;
        }
        std::size_t save = i;
        SkipCfws(i);
        if (At(i) != '.') {
            i = save;
            break;
        }
        ++i;
    }
    pos = i;
    return got;
}

bool AddressReader::SkipRoute(std::size_t& pos) const {
    std::size_t i = pos;
    bool ok = true;
    do {
        ++i;  // the "@"
        if (!SkipRouteDomain(i)) {
            ok = false;
            break;
        }
        SkipCfws(i);
        // An obsolete domain list may hold empty entries between its commas.
        while (At(i) == ',') {
            ++i;
            SkipCfws(i);
        }
    } while (At(i) == '@');
    if (ok) {
        SkipCfws(i);
        if (At(i) == ':') {
            pos = i;
            return true;
        }
    }
    while (!End(i) && At(i) != ':' && At(i) != '>') i = Step(i);
    pos = i;
    return false;
}

bool AddressReader::ReadLocalPart(std::string& out, std::size_t& pos) const {
    std::size_t i = pos;
    bool ok = false;
    while (true) {
        const std::size_t word = i;
        if (!SkipWord(i)) break;
        out.append(s_.substr(word, i - word));
        if (!SkipCfws(i)) break;
        if (At(i) != '.') {
            ok = true;
            break;
        }
        out += s_[i++];
        if (!SkipCfws(i) || End(i)) break;
    }
    pos = i;
    return ok;
}

// A domain of dot-separated atoms; a final dot before the end or a sentinel
// is dropped.
bool AddressReader::ReadDotAtom(std::string& out, std::size_t& pos,
                                std::string_view sentinels) const {
    std::size_t i = pos;
    bool ok = false;
    while (true) {
        const std::size_t atom = i;
        if (!SkipAtom(i)) break;
        out.append(s_.substr(atom, i - atom));
        const std::size_t after_atom = i;
        if (!SkipCfws(i)) break;
        if (At(i) != '.') {
            i = after_atom;
            ok = true;
            break;
        }
        ++i;
        if (!SkipCfws(i)) break;
        if (End(i) || Among(sentinels, At(i))) {
            ok = true;
            break;
        }
        out += '.';
    }
    pos = i;
    return ok;
}

// "[...]" with the blanks inside it dropped.
bool AddressReader::ReadDomainLiteral(std::string& out, std::size_t& pos) const {
    std::size_t i = pos + 1;
    out += '[';
    SkipBlanks(i);
    while (true) {
        while (IsLiteralText(i)) {
            const std::size_t next = Step(i);
            out.append(s_.substr(i, next - i));
            i = next;
        }
        SkipBlanks(i);
        if (End(i)) {
            pos = i;
            return false;
        }
        if (At(i) == ']') break;
        if (!IsLiteralText(i)) {
            pos = i;
            return false;
        }
    }
    out += ']';
    pos = i + 1;
    return true;
}

// local-part ["@" domain]; the local part alone ends at the end or a sentinel.
std::optional<std::string> AddressReader::ReadAddrSpec(std::size_t& pos,
                                                       std::string_view sentinels) const {
    std::string spec;
    std::size_t i = pos;
    const auto fail = [&] {
        pos = i;
        return std::nullopt;
    };
    if (!ReadLocalPart(spec, i)) return fail();
    if (End(i) || Among(sentinels, At(i))) {
        pos = i;
        return spec;
    }
    if (At(i) != '@') return fail();
    spec += s_[i++];
    if (End(i) || !SkipCfws(i) || End(i)) return fail();
    const bool domain = At(i) == '[' ? ReadDomainLiteral(spec, i) : ReadDotAtom(spec, i, sentinels);
    if (!domain) return fail();
    pos = i;
    return spec;
}

// A display name as written between `from` and `from + length`: quotes and
// backslash escapes removed, surrounding blanks trimmed, inner blanks kept.
std::string AddressReader::NameFrom(std::size_t from, std::size_t length) const {
    const std::string_view raw = s_.substr(from, length);
    std::string name;
    bool escaped = false;
    for (std::size_t i = 0; i < raw.size(); i += text::SjisCharLength(raw, i)) {
        const std::size_t n = text::SjisCharLength(raw, i);
        const char c = raw[i];
        if (n == 1 && c == '\\') {
            if (escaped) name += c;
            escaped = !escaped;
        } else if (n == 1 && c == '"') {
            if (escaped) name += c;
            escaped = false;
        } else {
            name.append(raw.substr(i, n));
            escaped = false;
        }
    }
    // GLib's ASCII blanks, which leave out the vertical tab.
    constexpr std::string_view kSpace = " \t\n\f\r";
    const std::size_t first = name.find_first_not_of(kSpace);
    if (first == std::string::npos) return {};
    return name.substr(first, name.find_last_not_of(kSpace) - first + 1);
}

// The comment after a bare address is its name: "a@b (Name)".
bool AddressReader::ReadTrailingComment(std::size_t& pos, std::string& name) const {
    SkipBlanks(pos);
    if (At(pos) != '(') return true;
    const std::size_t open = pos;
    if (!SkipComment(pos)) return false;
    name = NameFrom(open + 1, pos - 1 - (open + 1));
    return true;
}

// "<" [route ":"] addr-spec ">", with doubled brackets and a missing ">"
// forgiven.
bool AddressReader::ReadAngleAddress(std::size_t& pos, std::string name,
                                     std::vector<MailRecipient>& out) {
    std::size_t i = pos + 1;
    const auto fail = [&] {
        pos = i;
        return false;
    };
    while (At(i) == '<') ++i;
    if (End(i) || !SkipCfws(i)) return fail();
    if (At(i) == '@') {
        if (!SkipRoute(i)) return fail();
        ++i;
        if (!SkipCfws(i)) return fail();
    }
    std::optional<std::string> spec = ReadAddrSpec(i, ",>;");
    if (!spec || !SkipCfws(i)) return fail();
    while (At(i) == '>') ++i;
    out.push_back({std::move(*spec), std::move(name)});
    pos = i;
    return true;
}

void AddressReader::ReadGroupMembers(std::size_t& pos, std::vector<MailRecipient>& out) {
    std::size_t i = pos + 1;
    while (At(i) == ':' || IsBlank(i)) ++i;
    if (!End(i)) {
        // Members read before a fault stay members. After a fault the group
        // runs up to the next ";", which then ends the enclosing group too.
        ReadList(i, true, out);
        if (At(i) == ';')
            ++i;
        else
            while (!End(i) && At(i) != ';') i = Step(i);
    }
    pos = i;
}

// One mailbox or group. The phrase before "<" or ":" is read loosely: dots
// and (after its first word) commas that some mailers leave unquoted belong
// to the name, and an unclosed quote gives way to the words after it.
bool AddressReader::ReadAddress(std::size_t& pos, std::vector<MailRecipient>& out) {
    std::size_t i = pos;
    const auto fail = [&] {
        pos = i;
        return false;
    };
    if (!SkipCfws(i) || End(i)) return fail();

    const std::size_t start = i;
    std::size_t length = 0;
    int words = 0;
    bool trim_leading_quote = false;
    while (!End(i)) {
        if (At(i) == '"') {
            const std::size_t quote = i;
            if (!SkipQuoted(i)) {
                i = quote + 1;
                SkipBlanks(i);
                if (!SkipAtom(i)) break;
                if (start == quote) trim_leading_quote = true;
            }
        } else if (!SkipAtom(i)) {
            break;
        }
        length = i - start;
        while (true) {
            if (!SkipCfws(i)) return fail();
            if (At(i) != '.') break;
            ++i;
            length = i - start;
        }
        ++words;
        // A lone word before a comma is an address without a domain, not a
        // name.
        if (At(i) == ',' && words > 1) {
            ++i;
            length = i - start;
            if (!SkipCfws(i)) return fail();
        }
    }
    if (!SkipCfws(i)) return fail();

    const char next = At(i);
    if (next == '\0' || next == ',' || next == '>' || next == ';') {
        // The words were an address without a domain.
        const char sentinel[] = {next == '\0' ? ',' : next, '\0'};
        i = start;
        std::optional<std::string> spec = ReadAddrSpec(i, sentinel);
        if (!spec) return fail();
        std::string name;
        if (!ReadTrailingComment(i, name)) return fail();
        if (At(i) == '>') ++i;
        out.push_back({std::move(*spec), std::move(name)});
        pos = i;
        return true;
    }
    if (next == ':') {
        // The group's own name is of no use to the reader: only its members.
        ReadGroupMembers(i, out);
        pos = i;
        return true;
    }
    if (next == '@') {
        i = start;
        std::optional<std::string> spec = ReadAddrSpec(i, ",>;");
        if (!spec) return fail();
        std::string name;
        if (!ReadTrailingComment(i, name) || !SkipCfws(i)) return fail();
        if (At(i) != '<') {
            // "a@b>" (an unbalanced bracket) is forgiven.
            if (At(i) == '>') ++i;
            out.push_back({std::move(*spec), std::move(name)});
            pos = i;
            return true;
        }
        // "a@b <c@d>": the name is an unquoted text with an "@".
        std::size_t end = i;
        while (end > start && IsBlank(end - 1)) --end;
        length = end - start;
    }
    if (At(i) == '<') {
        const std::size_t phrase = trim_leading_quote ? start + 1 : start;
        if (trim_leading_quote) --length;
        const std::string name = length > 0 ? NameFrom(phrase, length) : std::string();
        const bool ok = ReadAngleAddress(i, name, out);
        pos = i;
        return ok;
    }
    return fail();
}

bool AddressReader::ReadList(std::size_t& pos, bool in_group, std::vector<MailRecipient>& out) {
    if (!SkipCfws(pos) || End(pos)) return false;
    std::size_t i = pos;
    while (!End(i)) {
        if (in_group && At(i) == ';') break;
        if (!ReadAddress(i, out)) {
            // An address that cannot be read is skipped up to the next comma.
            while (!End(i) && At(i) != ',' && !(in_group && At(i) == ';')) i = Step(i);
        }
        // Empty entries between commas are allowed.
        while (true) {
            if (!SkipCfws(i)) {
                pos = i;
                return false;
            }
            if (At(i) != ',') break;
            ++i;
        }
    }
    pos = i;
    return true;
}

}  // namespace

std::vector<MailRecipient> ReadMailboxes(std::string_view sjis_value) {
    return AddressReader(sjis_value).Read();
}

}  // namespace drwa::post
