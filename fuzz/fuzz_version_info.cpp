// The version information reader on any bytes given as a plugin executable:
// no read outside the input (the sanitizers watch), and the resource found is
// a part of the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "plugin_files/file_info.h"
#include "plugin_files/pe_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    if (auto resource = drwa::plugin_files::FindVersionResource(image)) {
        if (resource->data() < image.data() ||
            resource->data() + resource->size() > image.data() + image.size()) {
            std::abort();
        }
    }
    const auto info = drwa::plugin_files::ReadVersionInfo(image);
    if (!info.has_resource && info.fixed != drwa::plugin_files::FixedFileInfo{}) std::abort();
    return 0;
}
