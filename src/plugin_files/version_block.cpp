#include "plugin_files/version_block.h"

#include <array>
#include <cstdio>

#include "plugin_files/le_bytes.h"
#include "platform/charset_edge.h"

namespace drwa::plugin_files {
namespace {

constexpr std::size_t kNodeHeader = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t kTextType = 1;

constexpr std::size_t Align4(std::size_t n) {
    return (n + 3) & ~std::size_t{3};
}

struct Node {
    std::string_view key;       // UTF-16LE, without its NUL
    std::string_view value;     // as far as the node holds it
    std::string_view children;  // the rest of the node
    std::size_t length;         // the declared length, at least a header
};

// The node at the start of `bytes`, cut to its declared length.
std::optional<Node> ParseNode(std::string_view bytes) {
    auto length = ReadU16(bytes, 0);
    auto value_length = ReadU16(bytes, 2);
    auto type = ReadU16(bytes, 4);
    // A length below the header would never move the walk forward.
    if (!length || !value_length || !type || *length < kNodeHeader) return std::nullopt;
    std::string_view node = bytes.substr(0, *length);
    std::size_t key_end = kNodeHeader;
    for (;; key_end += 2) {
        auto unit = ReadU16(node, key_end);
        if (!unit) return std::nullopt;  // key runs out of the node
        if (*unit == 0) break;
    }
    std::size_t value_at = Align4(key_end + 2);
    // Text values count characters, binary ones bytes.
    std::size_t value_bytes = *type == kTextType ? std::size_t{*value_length} * 2 : *value_length;
    return Node{node.substr(kNodeHeader, key_end - kNodeHeader),
                SliceAt(node, value_at, value_bytes),
                SliceAt(node, Align4(value_at + value_bytes), std::string_view::npos), *length};
}

bool KeyEquals(std::string_view utf16_key, std::string_view ascii) {
    if (utf16_key.size() != ascii.size() * 2) return false;
    auto lower = [](std::uint16_t c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (std::size_t i = 0; i < ascii.size(); ++i) {
        if (lower(*ReadU16(utf16_key, 2 * i)) != lower(std::uint8_t(ascii[i]))) return false;
    }
    return true;
}

std::optional<Node> FindChild(const Node& parent, std::string_view key) {
    for (std::size_t at = 0; at + kNodeHeader <= parent.children.size();) {
        auto child = ParseNode(parent.children.substr(at));
        if (!child) return std::nullopt;
        if (KeyEquals(child->key, key)) return child;
        at += Align4(child->length);
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::optional<std::string_view> QueryVersionValue(std::string_view resource,
                                                  std::initializer_list<std::string_view> path) {
    auto node = ParseNode(resource);
    for (auto step : path) {
        if (!node) return std::nullopt;
        node = FindChild(*node, step);
    }
    if (!node) return std::nullopt;
    return node->value;
}

FixedFileInfo ReadFixedFileInfo(std::string_view root_value) {
    FixedFileInfo info;
    std::array fields{&info.signature,       &info.struct_version,     &info.file_version_ms,
                      &info.file_version_ls, &info.product_version_ms, &info.product_version_ls,
                      &info.file_flags_mask, &info.file_flags,         &info.file_os,
                      &info.file_type,       &info.file_subtype,       &info.file_date_ms,
                      &info.file_date_ls};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (auto v = ReadU32(root_value, 4 * i)) *fields[i] = *v;
    }
    return info;
}

std::optional<std::string> FirstTranslation(std::string_view translation_value) {
    auto language = ReadU16(translation_value, 0);
    auto code_page = ReadU16(translation_value, 2);
    if (!language || !code_page) return std::nullopt;
    char text[9];
    std::snprintf(text, sizeof text, "%04x%04x", unsigned{*language}, unsigned{*code_page});
    return std::string(text, 8);
}

std::string VersionStringToCp932(std::string_view utf16le) {
    std::string out;
    for (std::size_t at = 0;; at += 2) {
        auto unit = ReadU16(utf16le, at);
        if (!unit || *unit == 0) break;
        char32_t c = *unit;
        if (c >= 0xD800 && c <= 0xDBFF) {
            auto low = ReadU16(utf16le, at + 2);
            if (low && *low >= 0xDC00 && *low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (*low - 0xDC00);
                at += 2;
            } else {
                c = 0xFFFD;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        std::string utf8;
        AppendUtf8(utf8, c);
        out += platform::TryUtf8ToCp932(utf8).value_or("?");
    }
    return out;
}

}  // namespace drwa::plugin_files
