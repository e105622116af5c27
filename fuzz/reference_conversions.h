// The six conversions written the plainest way, byte by byte from their
// definitions and the row/cell arithmetic. The library's converters take
// shortcuts (tables, word-at-a-time runs, 64-byte masks); the fuzz target
// holds them to these on every input.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "text/halfwidth_kana.h"
#include "text/jis_arithmetic.h"

namespace drwa::text::reference {

inline unsigned At(std::string_view s, std::size_t i) {
    return i < s.size() ? static_cast<unsigned char>(s[i]) : 0;
}

inline void Put(std::string& out, unsigned a) {
    out.push_back(static_cast<char>(a));
}

template <typename Character>
std::string ToJis(std::string_view s, Character character) {
    std::string out;
    bool double_byte = false;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned b = At(s, i);
        if (b >= 0x80) {
            if (!double_byte) out += "\x1B$B";
            double_byte = true;
            i = character(s, i, out);
        } else {
            if (double_byte) out += "\x1B(J";
            double_byte = false;
            Put(out, b);
            ++i;
        }
    }
    if (double_byte) out += "\x1B(J";
    return out;
}

inline std::string ShiftJisToIso2022Jp(std::string_view s) {
    return ToJis(s, [](std::string_view t, std::size_t i, std::string& out) {
        const unsigned b = At(t, i);
        if (IsHalfWidthKatakana(b)) {
            const FullWidthKana k = ToFullWidthKana(b, At(t, i + 1));
            Put(out, k.row);
            Put(out, k.cell);
            return i + (k.mark_merged ? 2 : 1);
        }
        const BytePair n = NecTwin(b, At(t, i + 1));
        const BytePair j = ShiftJisToJis(n.first, n.second);
        Put(out, j.first);
        Put(out, j.second);
        return i + 2;
    });
}

inline std::string EucJpToIso2022Jp(std::string_view s) {
    return ToJis(s, [](std::string_view t, std::size_t i, std::string& out) {
        const unsigned b = At(t, i);
        if (b == 0x8E && IsHalfWidthKatakana(At(t, i + 1))) {
            const unsigned mark = At(t, i + 2) == 0x8E ? At(t, i + 3) : 0;
            const FullWidthKana k = ToFullWidthKana(At(t, i + 1), mark);
            Put(out, k.row);
            Put(out, k.cell);
            return i + (k.mark_merged ? 4 : 2);
        }
        Put(out, b & 0x7F);
        Put(out, At(t, i + 1) & 0x7F);
        return i + 2;
    });
}

template <typename Character>
std::string FromJis(std::string_view s, Character character) {
    std::string out;
    bool double_byte = false;
    std::size_t i = 0;
    while (true) {
        while (i < s.size() && At(s, i) == 0x1B) {
            if (i + 1 < s.size() && At(s, i + 1) == '$') double_byte = true;
            if (i + 1 < s.size() && At(s, i + 1) == '(') double_byte = false;
            i = std::min(i + 3, s.size());
        }
        if (i >= s.size()) break;
        i = character(s, i, double_byte, out);
    }
    return out;
}

inline std::string Iso2022JpToShiftJis(std::string_view s) {
    std::string out =
        FromJis(s, [](std::string_view t, std::size_t i, bool double_byte, std::string& o) {
            if (!double_byte) {
                Put(o, At(t, i));
                return i + 1;
            }
            const BytePair p = JisToShiftJis(At(t, i), At(t, i + 1));
            Put(o, p.first);
            Put(o, p.second);
            return i + 2;
        });
    return out.substr(0, out.find('\0'));
}

inline std::string Iso2022JpToEucJp(std::string_view s) {
    return FromJis(s, [](std::string_view t, std::size_t i, bool double_byte, std::string& o) {
        const unsigned b = At(t, i);
        Put(o, double_byte && b >= 0x21 && b <= 0x7E ? b | 0x80 : b);
        return i + 1;
    });
}

inline std::string EucJpToShiftJis(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned b = At(s, i);
        if (b <= 0x80 || b == 0xFF) {
            Put(out, b);
            i += 1;
        } else if (b == 0x8E) {
            if (i + 1 < s.size()) Put(out, At(s, i + 1));
            i += 2;
        } else {
            const BytePair p = JisToShiftJis(b & 0x7F, At(s, i + 1) & 0x7F);
            Put(out, p.first);
            Put(out, p.second);
            i += 2;
        }
    }
    return out;
}

inline std::string ShiftJisToEucJp(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned b = At(s, i);
        if (b < 0x80) {
            Put(out, b);
            i += 1;
        } else if (IsHalfWidthKatakana(b)) {
            Put(out, 0x8E);
            Put(out, b);
            i += 1;
        } else {
            const BytePair n = NecTwin(b, At(s, i + 1));
            const BytePair j = ShiftJisToJis(n.first, n.second);
            Put(out, j.first | 0x80);
            Put(out, j.second | 0x80);
            i += 2;
        }
    }
    return out;
}

}  // namespace drwa::text::reference
