#include "post/parameter_template.h"

#include <cstdio>

#include "config/text_helpers.h"

namespace drwa::post {
namespace {

using text::JapaneseCode;

enum class Kind {
    kEncoded,       // a value converted to the board's code, then form-encoded
    kKeyReference,  // "$(" key ")": the group's setting, converted, not encoded
    kBody,          // the mail's body, encoded line by line
};

struct Placeholder {
    std::string_view token;
    Kind kind;
    std::string (*value)(const TemplateValues&) = nullptr;  // kEncoded only
};

std::string Date(const TemplateValues& v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d/%02d/%02d", v.date.year % 100, v.date.month, v.date.day);
    return text;
}

std::string Time(const TemplateValues& v) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", v.date.hour, v.date.minute);
    return text;
}

// Replaced in this order, each over the whole text as the earlier ones left
// it. "$$" comes last, so "$$N" has become "$" + the encoded name by then; a
// "$(" value is not encoded and still sees "$M", "$," and "$$".
constexpr Placeholder kPlaceholders[] = {
    {"$N", Kind::kEncoded, [](const TemplateValues& v) { return v.name; }},
    {"$E", Kind::kEncoded, [](const TemplateValues& v) { return v.email; }},
    {"$K", Kind::kEncoded, [](const TemplateValues& v) { return v.key; }},
    {"$H", Kind::kEncoded, [](const TemplateValues& v) { return v.hp; }},
    {"$U", Kind::kEncoded, [](const TemplateValues& v) { return v.user; }},
    {"$P", Kind::kEncoded, [](const TemplateValues& v) { return v.pass; }},
    {"$1", Kind::kEncoded, [](const TemplateValues& v) { return v.param1; }},
    {"$2", Kind::kEncoded, [](const TemplateValues& v) { return v.param2; }},
    {"$T", Kind::kEncoded, [](const TemplateValues& v) { return v.subject; }},
    {"$Sn", Kind::kEncoded, [](const TemplateValues&) { return std::string("*"); }},
    {"$Sr", Kind::kEncoded, [](const TemplateValues&) { return std::string("*"); }},
    {"$Sd", Kind::kEncoded, &Date},
    {"$St", Kind::kEncoded, &Time},
    {"$(", Kind::kKeyReference},
    {"$M", Kind::kBody},
    {"$,", Kind::kEncoded, [](const TemplateValues&) { return std::string(","); }},
    {"$$", Kind::kEncoded, [](const TemplateValues&) { return std::string("$"); }},
};

std::size_t Count(std::string_view text, std::string_view token) {
    std::size_t n = 0;
    for (auto at = text.find(token); at != std::string_view::npos;
         at = text.find(token, at + token.size()))
        ++n;
    return n;
}

// A line of "." alone would end the record of a board that keeps its posts
// in the article line grammar, so it goes as ". ".
std::string EncodeBody(const std::vector<std::string>& lines, JapaneseCode target) {
    std::string whole;
    for (const std::string& line : lines) {
        whole += line;
        whole += "\r\n";
    }
    std::string out;
    for (const std::string& line : config::SplitLines(text::ConvertJapaneseCode(whole, target))) {
        out += line == "." ? FormEncode(". ") : FormEncode(line);
        out += "%0d%0a";
    }
    return out;
}

// Replaces "$(" key ")" until none is left; a value may bring in more.
void ExpandKeyReferences(std::string& text, const KeyLookup& lookup, JapaneseCode target) {
    for (int expansions = 0;; ++expansions) {
        const auto open = text.find("$(");
        if (open == std::string::npos) return;
        const auto close = text.find(')', open + 2);
        if (close == std::string::npos) throw Error("パラメター $( の対応する ) がありません");
        const std::string key = text.substr(open + 2, close - open - 2);
        const std::string token = "$(" + key + ")";
        const std::string value = text::ConvertJapaneseCode(lookup(key), target);
        // Both limits are checked before the text grows: a value holding its
        // own reference twice doubles the text with every round.
        const std::size_t grown =
            value.size() > token.size() ? Count(text, token) * (value.size() - token.size()) : 0;
        if (expansions >= kMaxKeyExpansions || text.size() + grown > kMaxExpandedBytes)
            throw ParameterLoopError("パラメター $(" + key +
                                     ") の展開が終わりません(値が自分自身を参照しています)");
        config::ReplaceAll(text, token, value);
    }
}

}  // namespace

std::string FormEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if ((b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z')) {
            out += c;
        } else if (b == ' ') {
            out += '+';
        } else {
            out += '%';
            out += kHex[b >> 4];
            out += kHex[b & 0x0F];
        }
    }
    return out;
}

std::vector<std::string> ExpandParameterTemplate(std::string_view params,
                                                 const TemplateValues& values,
                                                 const KeyLookup& lookup, JapaneseCode target) {
    // One pair per line; the values inserted below hold no line break (they
    // are encoded, or settings values, which are single lines).
    std::string text(params);
    config::ReplaceAll(text, "&", "\r\n");
    for (const Placeholder& p : kPlaceholders) {
        if (text.find(p.token) == std::string::npos) continue;
        switch (p.kind) {
            case Kind::kEncoded:
                config::ReplaceAll(text, p.token,
                                   FormEncode(text::ConvertJapaneseCode(p.value(values), target)));
                break;
            case Kind::kKeyReference:
                ExpandKeyReferences(text, lookup, target);
                break;
            case Kind::kBody:
                config::ReplaceAll(text, p.token, EncodeBody(values.body_lines, target));
                break;
        }
    }
    return config::SplitLines(text);
}

std::string FormBody(const std::vector<std::string>& pairs) {
    std::string body;
    if (pairs.size() == 1) {
        body = pairs.front();
    } else {
        for (const std::string& pair : pairs) body += pair + "&";
    }
    std::string_view trimmed = body;
    while (!trimmed.empty() && static_cast<unsigned char>(trimmed.front()) <= ' ')
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && static_cast<unsigned char>(trimmed.back()) <= ' ')
        trimmed.remove_suffix(1);
    return std::string(trimmed);
}

std::string FormQuery(const std::vector<std::string>& pairs) {
    std::string query;
    for (const std::string& pair : pairs) query += pair + "&";
    return query;
}

}  // namespace drwa::post
