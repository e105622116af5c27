// Arbitrary bytes as the mail a client hands to `drwa-host sendmail`. The
// writer either refuses them as no mail or gives a file the library can read:
// 7-bit, every line ended by CR LF, exactly one To line in the header. No
// input may crash it, hang it or make it loop.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "outgoing_mail_writer.h"

namespace {

bool IsSound(std::string_view file) {
    for (std::size_t i = 0; i < file.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(file[i]);
        if (c >= 0x80) return false;
        if (c == '\r' && (i + 1 == file.size() || file[i + 1] != '\n')) return false;
        if (c == '\n' && (i == 0 || file[i - 1] != '\r')) return false;
    }
    const std::size_t header_end = file.find("\r\n\r\n");
    if (header_end == std::string_view::npos || !file.ends_with("\r\n")) return false;
    const std::string_view header = file.substr(0, header_end + 2);
    int to_lines = 0;
    for (std::size_t at = 0; at < header.size(); at = header.find("\r\n", at) + 2)
        to_lines += header.substr(at).starts_with("To: ");
    return to_lines == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view mail(reinterpret_cast<const char*>(data), size);
    try {
        const drwa_host::OutgoingMail out = drwa_host::WriteOutgoingMail(mail, {"a@b.invalid"});
        if (!IsSound(out.file)) __builtin_trap();
    } catch (const drwa_host::MailDataError&) {
        // Refused as no mail: the client keeps it.
    }
    return 0;
}
