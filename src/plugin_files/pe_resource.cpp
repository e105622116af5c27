#include "plugin_files/pe_resource.h"

#include <algorithm>
#include <cstdint>

#include "plugin_files/le_bytes.h"

namespace drwa::plugin_files {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kMagicPe32 = 0x10b;
constexpr std::uint16_t kMagicPe32Plus = 0x20b;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kVersionType = 16;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kCoffHeaderSize = 20;

struct Section {
    std::uint32_t virtual_address;
    std::uint32_t virtual_size;
    std::uint32_t raw_size;
    std::uint32_t raw_offset;
};

class PeImage {
  public:
    explicit PeImage(std::string_view image) : image_(image) {}

    // Reads the headers; false when this is no PE image we can follow.
    bool Open() {
        if (image_.substr(0, 2) != "MZ") return false;
        auto pe_at = ReadU32(image_, 0x3c);
        if (!pe_at || ReadU32(image_, *pe_at) != kPeSignature) return false;
        std::size_t coff = std::size_t{*pe_at} + 4;
        auto section_count = ReadU16(image_, coff + 2);
        auto optional_size = ReadU16(image_, coff + 16);
        if (!section_count || !optional_size) return false;
        std::size_t optional = coff + kCoffHeaderSize;
        auto magic = ReadU16(image_, optional);
        // The data directories sit after the fields whose width differs.
        std::size_t directories_at;
        if (magic == kMagicPe32) {
            directories_at = 96;
        } else if (magic == kMagicPe32Plus) {
            directories_at = 112;
        } else {
            return false;
        }
        auto directory_count = ReadU32(image_, optional + directories_at - 4);
        std::size_t resource_entry = directories_at + 8 * kResourceDirectoryIndex;
        if (!directory_count || *directory_count <= kResourceDirectoryIndex ||
            resource_entry + 8 > *optional_size) {
            return false;
        }
        auto rva = ReadU32(image_, optional + resource_entry);
        auto size = ReadU32(image_, optional + resource_entry + 4);
        if (!rva || !size || *rva == 0 || *size == 0) return false;
        resource_rva_ = *rva;
        resource_size_ = *size;
        sections_at_ = optional + *optional_size;
        section_count_ = *section_count;
        return true;
    }

    // The bytes at `rva`, at most `size` of them, as far as the file holds
    // them; nothing when no section covers `rva`.
    std::optional<std::string_view> AtRva(std::uint32_t rva, std::uint32_t size) const {
        for (std::size_t i = 0; i < section_count_; ++i) {
            std::size_t header = sections_at_ + i * kSectionHeaderSize;
            auto section = SectionAt(header);
            if (!section) return std::nullopt;  // section table cut off
            std::uint32_t extent = std::max(section->virtual_size, section->raw_size);
            if (rva < section->virtual_address || rva - section->virtual_address >= extent) {
                continue;
            }
            std::uint32_t into = rva - section->virtual_address;
            // Bytes past the raw data are zero-filled in memory, never in the
            // file: the view stops where the file's data for the section does.
            if (into >= section->raw_size) return std::nullopt;
            std::size_t available = std::min<std::uint32_t>(size, section->raw_size - into);
            auto bytes = SliceAt(image_, std::size_t{section->raw_offset} + into, available);
            if (bytes.empty()) return std::nullopt;  // the file ends before it
            return bytes;
        }
        return std::nullopt;
    }

    std::uint32_t resource_rva() const { return resource_rva_; }
    std::uint32_t resource_size() const { return resource_size_; }

  private:
    std::optional<Section> SectionAt(std::size_t header) const {
        auto virtual_size = ReadU32(image_, header + 8);
        auto virtual_address = ReadU32(image_, header + 12);
        auto raw_size = ReadU32(image_, header + 16);
        auto raw_offset = ReadU32(image_, header + 20);
        if (!virtual_size || !virtual_address || !raw_size || !raw_offset) return std::nullopt;
        return Section{*virtual_address, *virtual_size, *raw_size, *raw_offset};
    }

    std::string_view image_;
    std::uint32_t resource_rva_ = 0;
    std::uint32_t resource_size_ = 0;
    std::size_t sections_at_ = 0;
    std::size_t section_count_ = 0;
};

struct DirectoryEntry {
    std::uint32_t name;
    std::uint32_t offset;  // high bit set: a subdirectory
};

// The entries of the resource directory at `at`: named entries first, then
// those with a numeric id, as the format orders them.
class ResourceDirectory {
  public:
    ResourceDirectory(std::string_view tree, std::uint32_t at) : tree_(tree), at_(at) {}

    std::size_t Count() const {
        auto named = ReadU16(tree_, std::size_t{at_} + 12);
        auto ids = ReadU16(tree_, std::size_t{at_} + 14);
        return named && ids ? std::size_t{*named} + *ids : 0;
    }
    std::optional<DirectoryEntry> Entry(std::size_t i) const {
        std::size_t entry = std::size_t{at_} + 16 + 8 * i;
        auto name = ReadU32(tree_, entry);
        auto offset = ReadU32(tree_, entry + 4);
        if (!name || !offset) return std::nullopt;
        return DirectoryEntry{*name, *offset};
    }

  private:
    std::string_view tree_;
    std::uint32_t at_;
};

// The subdirectory an entry points to; nothing for a data entry.
std::optional<ResourceDirectory> Subdirectory(std::string_view tree,
                                              std::optional<DirectoryEntry> entry) {
    if (!entry || !(entry->offset & kHighBit)) return std::nullopt;
    return ResourceDirectory(tree, entry->offset & ~kHighBit);
}

}  // namespace

std::optional<std::string_view> FindVersionResource(std::string_view image) {
    PeImage pe(image);
    if (!pe.Open()) return std::nullopt;
    auto tree = pe.AtRva(pe.resource_rva(), pe.resource_size());
    if (!tree) return std::nullopt;

    ResourceDirectory root(*tree, 0);
    std::optional<ResourceDirectory> names;
    // Bounded by the directory's own count, which is at most 2 * 65535 rows:
    // a hostile count ends at the first entry outside the tree.
    for (std::size_t i = 0, n = root.Count(); i < n && !names; ++i) {
        auto entry = root.Entry(i);
        if (!entry) return std::nullopt;
        if (entry->name == kVersionType) names = Subdirectory(*tree, entry);
    }
    if (!names || names->Count() == 0) return std::nullopt;
    auto languages = Subdirectory(*tree, names->Entry(0));
    if (!languages || languages->Count() == 0) return std::nullopt;
    auto data = languages->Entry(0);
    if (!data || (data->offset & kHighBit)) return std::nullopt;

    // The data entry holds an address in the image, not an offset in the tree.
    auto data_rva = ReadU32(*tree, data->offset);
    auto data_size = ReadU32(*tree, std::size_t{data->offset} + 4);
    if (!data_rva || !data_size) return std::nullopt;
    return pe.AtRva(*data_rva, *data_size);
}

}  // namespace drwa::plugin_files
