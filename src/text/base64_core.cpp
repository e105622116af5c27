#include "text/base64_core.h"

namespace drwa::text {

std::string EncodeBase64With(const Base64Alphabet& alphabet, std::string_view bytes) {
    std::string out;
    out.resize((bytes.size() + 2) / 3 * 4);
    auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(bytes[i]));
    };
    std::size_t i = 0;
    std::size_t o = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const unsigned group = byte(i) << 16 | byte(i + 1) << 8 | byte(i + 2);
        out[o++] = alphabet.Symbol(group >> 18);
        out[o++] = alphabet.Symbol(group >> 12);
        out[o++] = alphabet.Symbol(group >> 6);
        out[o++] = alphabet.Symbol(group);
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        const unsigned group = byte(i) << 16 | (rest == 2 ? byte(i + 1) << 8 : 0);
        out[o++] = alphabet.Symbol(group >> 18);
        out[o++] = alphabet.Symbol(group >> 12);
        out[o++] = rest == 2 ? alphabet.Symbol(group >> 6) : Base64Alphabet::kFill;
        out[o++] = Base64Alphabet::kFill;
    }
    return out;
}

std::string DecodeBase64With(const Base64Alphabet& alphabet, std::string_view text) {
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    unsigned group = 0;
    int symbols = 0;  // symbols collected in `group`, 0 to 3
    // Two symbols carry one whole byte, three carry two.
    auto flush_partial = [&] {
        if (symbols >= 2) out.push_back(static_cast<char>(group >> (6 * symbols - 8)));
        if (symbols == 3) out.push_back(static_cast<char>(group >> 2));
        group = 0;
        symbols = 0;
    };
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        const std::uint8_t value = alphabet.Value(c);
        if (value == Base64Alphabet::kNotInAlphabet) {
            if (ch == Base64Alphabet::kFill) flush_partial();
            continue;
        }
        group = group << 6 | value;
        if (++symbols == 4) {
            out.push_back(static_cast<char>(group >> 16));
            out.push_back(static_cast<char>(group >> 8));
            out.push_back(static_cast<char>(group));
            group = 0;
            symbols = 0;
        }
    }
    flush_partial();
    return out;
}

}  // namespace drwa::text
