#include "terminal_text.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace drwa_host {
namespace {

std::string Convert(const char* to, const char* from, const std::string& in, bool lenient) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open failed");
    std::string out;
    char buf[4096];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
        char* dst = buf;
        std::size_t room = sizeof buf;
        std::size_t r = iconv(cd, &src, &left, &dst, &room);
        out.append(buf, static_cast<std::size_t>(dst - buf));
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            if (!lenient) {
                iconv_close(cd);
                throw std::runtime_error("text has no " + std::string(to) + " form: " + in);
            }
            out += '?';
            ++src;
            --left;
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string ToUtf8(const std::string& cp932) { return Convert("UTF-8", "CP932", cp932, true); }

std::string ToCp932(const std::string& utf8) { return Convert("CP932", "UTF-8", utf8, false); }

}  // namespace drwa_host
