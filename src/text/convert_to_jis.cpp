// Shift_JIS and EUC-JP to ISO-2022-JP.
#include <string_view>

#include "text/byte_scan.h"
#include "text/byte_sink.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/jis_arithmetic.h"

namespace drwa::text {
namespace {

constexpr unsigned kEsc = 0x1B;
constexpr unsigned kEucKanaPrefix = 0x8E;

// Escape sequences grow the text; a reserve of one eighth more covers ordinary
// Japanese text without a second allocation.
std::size_t ExpectedJisSize(std::size_t n) {
    return n + n / 8 + 16;
}

// Walks the source: runs below 0x80 are copied as they are, every character at
// or above 0x80 is written in double-byte mode. `Source` reads one character
// and writes its JIS bytes.
template <typename WriteCharacter>
std::string ToJis(std::string_view text, WriteCharacter write_character) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    ByteSink out(ExpectedJisSize(n));
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run_end = SkipAscii(p, i, n);
        out.Append(text.data() + i, run_end - i);
        i = run_end;
        if (i == n) break;
        out.Reserve(3);
        out.Put(kEsc), out.Put('$'), out.Put('B');
        while (i < n && p[i] >= 0x80) i = write_character(p, i, n, out);
        // Line ends and every other byte below 0x80 are single-byte text, and
        // the text never ends in double-byte mode. ESC ( J (JIS X 0201 Roman)
        // is what readers of these mails have always been given.
        out.Reserve(3);
        out.Put(kEsc), out.Put('('), out.Put('J');
    }
    return out.Take();
}

// The byte at `i`, or 0 when the text ends before it: a lead byte at the very
// end is converted with a trail byte of 0 instead of a read past the end.
inline unsigned ByteAt(const unsigned char* p, std::size_t i, std::size_t n) {
    return i < n ? p[i] : 0;
}

void PutKana(ByteSink& out, const FullWidthKana& kana) {
    out.Put(kana.row);
    out.Put(kana.cell);
}

}  // namespace

std::string ShiftJisToIso2022Jp(std::string_view sjis) {
    return ToJis(sjis, [](const unsigned char* p, std::size_t i, std::size_t n, ByteSink& out) {
        out.Reserve(2);
        const unsigned b = p[i];
        if (IsHalfWidthKatakana(b)) {
            const FullWidthKana kana = ToFullWidthKana(b, ByteAt(p, i + 1, n));
            PutKana(out, kana);
            return i + (kana.mark_merged ? 2 : 1);
        }
        const BytePair jis = ShiftJisToJis(b, ByteAt(p, i + 1, n));
        out.Put(jis.first);
        out.Put(jis.second);
        return i + 2;
    });
}

std::string EucJpToIso2022Jp(std::string_view euc) {
    return ToJis(euc, [](const unsigned char* p, std::size_t i, std::size_t n, ByteSink& out) {
        out.Reserve(2);
        const unsigned b = p[i];
        const unsigned next = ByteAt(p, i + 1, n);
        if (b == kEucKanaPrefix && IsHalfWidthKatakana(next)) {
            // A sound mark follows as 0x8E + mark.
            const unsigned mark = ByteAt(p, i + 2, n) == kEucKanaPrefix ? ByteAt(p, i + 3, n) : 0;
            const FullWidthKana kana = ToFullWidthKana(next, mark);
            PutKana(out, kana);
            return i + (kana.mark_merged ? 4 : 2);
        }
        // 0x8E before a byte that is no katakana is an ordinary malformed pair.
        out.Put(b & 0x7F);
        out.Put(next & 0x7F);
        return i + 2;
    });
}

}  // namespace drwa::text
