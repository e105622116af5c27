// version-info: the nine version strings and the fixed block of a Windows
// executable or DLL, one "Name: value" per line in UTF-8, as the group
// properties dialog will read them.
#include "version_info_command.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "plugin_files/file_info.h"
#include "platform/charset_edge.h"
#include "platform/files.h"

namespace drwa_tool {
namespace {

using drwa::plugin_files::FixedFileInfo;

std::string ForTerminal(std::string_view cp932) {
    return drwa::platform::TryCp932ToUtf8(cp932).value_or(std::string(cp932));
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08x", v);
    return text;
}

// a.b.c.d from the high and low halves of the two words.
std::string Dotted(std::uint32_t ms, std::uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

struct FixedRow {
    const char* name;
    std::string (*format)(const FixedFileInfo&);
};

constexpr FixedRow kFixedRows[] = {
    {"Signature", [](const FixedFileInfo& f) { return Hex(f.signature); }},
    {"StructVersion",
     [](const FixedFileInfo& f) {
         return std::to_string(f.struct_version >> 16) + "." +
                std::to_string(f.struct_version & 0xFFFF);
     }},
    {"FixedFileVersion",
     [](const FixedFileInfo& f) { return Dotted(f.file_version_ms, f.file_version_ls); }},
    {"FixedProductVersion",
     [](const FixedFileInfo& f) { return Dotted(f.product_version_ms, f.product_version_ls); }},
    {"FileFlagsMask", [](const FixedFileInfo& f) { return Hex(f.file_flags_mask); }},
    {"FileFlags", [](const FixedFileInfo& f) { return Hex(f.file_flags); }},
    {"FileOS", [](const FixedFileInfo& f) { return Hex(f.file_os); }},
    {"FileType", [](const FixedFileInfo& f) { return Hex(f.file_type); }},
    {"FileSubtype", [](const FixedFileInfo& f) { return Hex(f.file_subtype); }},
    {"FileDate",
     [](const FixedFileInfo& f) { return Hex(f.file_date_ms) + Hex(f.file_date_ls).substr(2); }},
};

}  // namespace

int RunVersionInfo(const Args& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: drwa-tool version-info FILE\n");
        return 2;
    }
    const std::string path = drwa::platform::Utf8ToCp932(args[0]);
    if (!drwa::platform::FileExists(path)) {
        std::fprintf(stderr, "drwa-tool version-info: cannot read %s\n", args[0].c_str());
        return 1;
    }
    drwa::plugin_files::TFileInfo info;
    info.SetFileName(path);
    if (!info.HasResource()) {
        std::fprintf(stderr, "drwa-tool version-info: %s has no version resource\n",
                     args[0].c_str());
        return 1;
    }
    std::string out;
    for (std::size_t i = 0; i < drwa::plugin_files::kVersionStringNames.size(); ++i) {
        out += std::string(drwa::plugin_files::kVersionStringNames[i]) + ": " +
               ForTerminal(info.Get(static_cast<drwa::plugin_files::VersionString>(i))) + "\n";
    }
    for (const auto& row : kFixedRows) out += row.name + (": " + row.format(info.Fixed())) + "\n";
    WriteOutput(out);
    return 0;
}

}  // namespace drwa_tool
