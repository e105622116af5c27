// Queries into a version resource (the VS_VERSIONINFO tree of UTF-16LE keyed
// nodes), the way the system's own query call answers them, from bytes that
// may be cut off or hostile.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace drwa::plugin_files {

// The fixed block of a version resource, in the order of its fields.
struct FixedFileInfo {
    std::uint32_t signature = 0;  // 0xFEEF04BD in a sound block
    std::uint32_t struct_version = 0;
    std::uint32_t file_version_ms = 0;
    std::uint32_t file_version_ls = 0;
    std::uint32_t product_version_ms = 0;
    std::uint32_t product_version_ls = 0;
    std::uint32_t file_flags_mask = 0;
    std::uint32_t file_flags = 0;
    std::uint32_t file_os = 0;
    std::uint32_t file_type = 0;
    std::uint32_t file_subtype = 0;
    std::uint32_t file_date_ms = 0;
    std::uint32_t file_date_ls = 0;

    bool operator==(const FixedFileInfo&) const = default;
};

// The raw value of the node reached from the root through `path`, each step a
// child's key compared without regard to ASCII case (as the system's query
// does); an empty path is the root's own value. Nothing when a step is
// missing or the tree is malformed on the way.
std::optional<std::string_view> QueryVersionValue(std::string_view resource,
                                                  std::initializer_list<std::string_view> path);

// The root value as a fixed block: the fields the bytes hold, the rest zero.
FixedFileInfo ReadFixedFileInfo(std::string_view root_value);

// The first translation of a "Translation" value as "%04x%04x" (language,
// code page); nothing when the value holds no whole entry.
std::optional<std::string> FirstTranslation(std::string_view translation_value);

// A string value (UTF-16LE, up to its first NUL) as CP932. A character CP932
// has no code for becomes "?", as the system's own narrow query substitutes
// its default character; an unpaired surrogate is such a character too.
std::string VersionStringToCp932(std::string_view utf16le);

}  // namespace drwa::plugin_files
