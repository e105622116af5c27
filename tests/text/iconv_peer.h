// glibc iconv as the peer our codecs are checked against. Test code only: the
// library converts Japanese text itself.
#pragma once

#include <iconv.h>

#include <optional>
#include <string>
#include <string_view>

namespace drwa::text::testing {

class IconvPeer {
  public:
    IconvPeer(const char* from, const char* to);
    ~IconvPeer();
    IconvPeer(const IconvPeer&) = delete;
    IconvPeer& operator=(const IconvPeer&) = delete;

    // The whole of `in` converted, shift state closed at the end; nothing when
    // iconv rejects a byte or cannot express a character.
    std::optional<std::string> Convert(std::string_view in);

  private:
    iconv_t cd_;
};

// iconv leaves double-byte mode with ESC ( B (ASCII); our output leaves it with
// ESC ( J (JIS X 0201 Roman). Equal for every byte that both peers write.
std::string RomanForAscii(std::string jis);

}  // namespace drwa::text::testing
