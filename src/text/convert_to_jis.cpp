// Shift_JIS and EUC-JP to ISO-2022-JP.
#include <algorithm>
#include <string_view>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/jis_arithmetic.h"
#include "text/jis_tables.h"
#include "text/output_buffer.h"

namespace drwa::text {
namespace {

// Most output bytes per input byte: a half-width katakana between two ASCII
// bytes gives ESC $ B, two bytes and ESC ( J.
constexpr std::size_t kMaxGrowth = 5;

inline void PutEscape(unsigned char*& w, unsigned char second, unsigned char final_byte) {
    w[0] = kEsc;
    w[1] = second;
    w[2] = final_byte;
    w += 3;
}

inline void PutPair(unsigned char*& w, unsigned char first, unsigned char second) {
    w[0] = first;
    w[1] = second;
    w += 2;
}

// Runs below 0x80 are copied as they are; every character at or above 0x80 is
// written by `character` (which returns the index after it) in double-byte
// mode. Line ends and every other byte below 0x80 leave double-byte mode, and
// the text never ends in it. The way out is ESC ( J (JIS X 0201 Roman), what
// readers of these mails have always been given.
template <typename Character>
std::string ToJis(std::string_view text, Character character) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    OutputBuffer out(n + n / 8 + 16);
    bool double_byte = false;
    std::size_t i = 0;
    while (i < n) {
        const std::size_t limit = std::min(n, i + kConversionChunk);
        unsigned char* w = out.Room(kMaxGrowth * (limit - i) + kConversionSlack);
        while (i < limit) {
            if (p[i] < 0x80) {
                if (double_byte) PutEscape(w, '(', 'J');
                double_byte = false;
                i = CopyAscii(p, i, limit, w);
                continue;
            }
            if (!double_byte) PutEscape(w, '$', 'B');
            double_byte = true;
            i = character(p, i, n, w);
        }
        out.Commit(w);
    }
    if (double_byte) {
        unsigned char* w = out.Room(3);
        PutEscape(w, '(', 'J');
        out.Commit(w);
    }
    return out.Take();
}

}  // namespace

std::string ShiftJisToIso2022Jp(std::string_view sjis) {
    return ToJis(sjis, [](const unsigned char* p, std::size_t i, std::size_t n, unsigned char*& w) {
        const unsigned b = p[i];
        if (IsHalfWidthKatakana(b)) {
            const FullWidthKana kana = ToFullWidthKana(b, ByteAt(p, i + 1, n));
            PutPair(w, kana.row, kana.cell);
            return i + (kana.mark_merged ? 2 : 1);
        }
        const BytePair s = NecTwin(b, ByteAt(p, i + 1, n));
        const BytePair jis = kJisTables.ToJis(s.first, s.second);
        PutPair(w, jis.first, jis.second);
        return i + 2;
    });
}

std::string EucJpToIso2022Jp(std::string_view euc) {
    return ToJis(euc, [](const unsigned char* p, std::size_t i, std::size_t n, unsigned char*& w) {
        const unsigned b = p[i];
        const unsigned next = ByteAt(p, i + 1, n);
        if (b == kEucKanaPrefix && IsHalfWidthKatakana(next)) {
            // A sound mark follows as 0x8E + mark.
            const unsigned mark = ByteAt(p, i + 2, n) == kEucKanaPrefix ? ByteAt(p, i + 3, n) : 0;
            const FullWidthKana kana = ToFullWidthKana(next, mark);
            PutPair(w, kana.row, kana.cell);
            return i + (kana.mark_merged ? 4 : 2);
        }
        // 0x8E before a byte that is no katakana is an ordinary malformed pair.
        PutPair(w, b & 0x7F, next & 0x7F);
        return i + 2;
    });
}

}  // namespace drwa::text
