// A script plugin's file on any bytes: what the group dialog reads of it (the
// header's version, author and target, the #[DIALOG] block). Nothing may fail,
// and every text found must be a piece of the file, never bytes from beyond it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "config/text_helpers.h"
#include "plugin_files/plugin_header.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto lines = drwa::config::SplitLines(text);

    const auto header = drwa::plugin_files::ParsePluginHeader(lines);
    for (const std::string* part : {&header.version, &header.author, &header.target})
        if (text.find(*part) == std::string_view::npos) std::abort();

    if (const auto entries = drwa::plugin_files::ExtractDialogBlock(lines)) {
        for (const auto& [name, value] : *entries) {
            if (name.empty() || name.find('=') != std::string::npos) std::abort();
            if (name.find('\n') != std::string::npos || value.find('\n') != std::string::npos)
                std::abort();
        }
    }
    return 0;
}
