// The 3-to-4 coder shared by the two Base64 flavours of the library: the RFC
// 2045 one of MIME words and the file-name-safe one of source names. Only the
// alphabet differs, so it is a value handed in, and both reverse tables are
// built by the compiler instead of at start-up.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace drwa::text {

class Base64Alphabet {
  public:
    // Marks a byte value that is not a symbol of the alphabet.
    static constexpr std::uint8_t kNotInAlphabet = 0xFF;

    consteval explicit Base64Alphabet(std::string_view symbols) : symbols_{}, values_{} {
        if (symbols.size() != 64) throw "a Base64 alphabet has 64 symbols";
        values_.fill(kNotInAlphabet);
        for (std::size_t v = 0; v < 64; ++v) {
            const auto c = static_cast<unsigned char>(symbols[v]);
            if (c == kFill || values_[c] != kNotInAlphabet) throw "symbols must be distinct";
            symbols_[v] = symbols[v];
            values_[c] = static_cast<std::uint8_t>(v);
        }
    }

    static constexpr char kFill = '=';

    constexpr char Symbol(unsigned value) const { return symbols_[value & 0x3F]; }
    constexpr std::uint8_t Value(unsigned char c) const { return values_[c]; }

  private:
    std::array<char, 64> symbols_;
    std::array<std::uint8_t, 256> values_;
};

// Four symbols for every three bytes, "=" fill at the end, no line breaks.
std::string EncodeBase64With(const Base64Alphabet& alphabet, std::string_view bytes);

// Four symbols give three bytes; a "=" closes the group it stands in, so groups
// that were encoded one by one ("QQ==QQ==") decode one by one. Bytes outside the
// alphabet (line breaks, blanks, damage) are skipped: the result depends only on
// the symbols, never on what a table would hold for a foreign byte.
std::string DecodeBase64With(const Base64Alphabet& alphabet, std::string_view text);

}  // namespace drwa::text
