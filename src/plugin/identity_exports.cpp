// The exports that identify the library and carry the shared-memory records.
#include <cstring>

#include "common/identity.h"
#include "config/shared_records.h"
#include "drwa_plugin.h"
#include "plugin/boundary.h"

namespace drwa::plugin {

std::int32_t CopyText(char* out, const char* text) {
    const auto length = static_cast<std::int32_t>(std::strlen(text));
    if (out) std::memcpy(out, text, static_cast<std::size_t>(length) + 1);
    return length;
}

}  // namespace drwa::plugin

using namespace drwa;

extern "C" {

int32_t DRWA_CALL GetPluginName(char* name) {
    return plugin::CopyText(name, kLibraryName);
}

int32_t DRWA_CALL GetPluginVersion(char* version) {
    return plugin::CopyText(version, kLibraryVersion);
}

int32_t DRWA_CALL GetPluginAuthor(char* author) {
    return plugin::CopyText(author, kLibraryAuthor);
}

int32_t DRWA_CALL GetPluginLastError(char* text) {
    auto error = config::ReadLastError();
    if (!error || !text) return 1;
    plugin::CopyText(text, error->c_str());
    return 0;
}

int32_t DRWA_CALL SetDummyDomain(const char* domain) {
    if (!domain) return 1;
    return config::StoreDummyDomain(domain) ? 0 : 1;
}

int32_t DRWA_CALL SetRecSendMode(int32_t mode) {
    return config::StoreRecSendMode(mode) ? 0 : 1;
}

}  // extern "C"
