#include "platform/charset_edge.h"

#include <cerrno>
#include <iconv.h>

#include "common/error.h"

namespace drwa::platform {
namespace {

// One conversion descriptor per thread and direction: iconv_t is not safe to
// share, and opening one costs more than most conversions.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::optional<std::string> Run(std::string_view in) {
        if (cd_ == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // reset shift state
        std::string out(in.size() * 3 + 8, '\0');
        char* src = const_cast<char*>(in.data());
        std::size_t src_left = in.size();
        char* dst = out.data();
        std::size_t dst_left = out.size();
        while (src_left > 0) {
            if (iconv(cd_, &src, &src_left, &dst, &dst_left) == static_cast<std::size_t>(-1)) {
                if (errno != E2BIG) return std::nullopt;
                std::size_t used = out.size() - dst_left;
                out.resize(out.size() * 2);
                dst = out.data() + used;
                dst_left = out.size() - used;
            }
        }
        out.resize(out.size() - dst_left);
        return out;
    }

private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> TryCp932ToUtf8(std::string_view cp932) {
    thread_local Converter converter("UTF-8", "CP932");
    return converter.Run(cp932);
}

std::optional<std::string> TryUtf8ToCp932(std::string_view utf8) {
    thread_local Converter converter("CP932", "UTF-8");
    return converter.Run(utf8);
}

}  // namespace drwa::platform
