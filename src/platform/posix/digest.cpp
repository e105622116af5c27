#include "platform/digest.h"

#include <glib.h>

#include <memory>

namespace drwa::platform {

std::string Md5UpperHex(std::string_view bytes) {
    std::unique_ptr<gchar, decltype(&g_free)> hex(
        g_compute_checksum_for_data(G_CHECKSUM_MD5, reinterpret_cast<const guchar*>(bytes.data()),
                                    bytes.size()),
        &g_free);
    std::string out = hex ? hex.get() : "";
    for (char& c : out)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

}  // namespace drwa::platform
