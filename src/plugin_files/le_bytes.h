// Little-endian reads from a byte view that fail instead of reading past its
// end: the PE and version-resource parsers take every offset from the file
// itself, so none of them may be trusted.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace drwa::plugin_files {

inline std::optional<std::uint16_t> ReadU16(std::string_view bytes, std::size_t at) {
    if (at > bytes.size() || bytes.size() - at < 2) return std::nullopt;
    auto b = [&](std::size_t i) { return static_cast<std::uint16_t>(std::uint8_t(bytes[at + i])); };
    return static_cast<std::uint16_t>(b(0) | b(1) << 8);
}

inline std::optional<std::uint32_t> ReadU32(std::string_view bytes, std::size_t at) {
    auto low = ReadU16(bytes, at);
    auto high = low ? ReadU16(bytes, at + 2) : std::nullopt;
    if (!high) return std::nullopt;
    return static_cast<std::uint32_t>(*low) | static_cast<std::uint32_t>(*high) << 16;
}

// `bytes` from `at` for at most `size` bytes; empty when `at` is past the end.
inline std::string_view SliceAt(std::string_view bytes, std::size_t at, std::size_t size) {
    if (at > bytes.size()) return {};
    return bytes.substr(at, size);
}

}  // namespace drwa::plugin_files
