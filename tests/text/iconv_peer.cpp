#include "iconv_peer.h"

#include <cerrno>
#include <stdexcept>

namespace drwa::text::testing {

IconvPeer::IconvPeer(const char* from, const char* to) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
        throw std::runtime_error(std::string("iconv_open ") + from + " -> " + to);
    }
}

IconvPeer::~IconvPeer() {
    iconv_close(cd_);
}

std::optional<std::string> IconvPeer::Convert(std::string_view in) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::string out(in.size() * 4 + 16, '\0');
    char* src = const_cast<char*>(in.data());
    std::size_t src_left = in.size();
    char* dst = out.data();
    std::size_t dst_left = out.size();
    if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    if (iconv(cd_, nullptr, nullptr, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
        return std::nullopt;
    }
    out.resize(out.size() - dst_left);
    return out;
}

std::string RomanForAscii(std::string jis) {
    for (std::size_t at = 0; (at = jis.find("\x1B(B", at)) != std::string::npos; at += 3) {
        jis[at + 2] = 'J';
    }
    return jis;
}

}  // namespace drwa::text::testing
