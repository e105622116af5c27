// EUC-JP to Shift_JIS and back.
#include <string_view>

#include "text/byte_scan.h"
#include "text/byte_sink.h"
#include "text/code_conversions.h"
#include "text/halfwidth_kana.h"
#include "text/jis_arithmetic.h"

namespace drwa::text {
namespace {

constexpr unsigned kEucKanaPrefix = 0x8E;

// The byte at `i`, or 0 when the text ends before it: a lead byte at the very
// end is converted with a trail byte of 0 instead of a read past the end.
inline unsigned ByteAt(const unsigned char* p, std::size_t i, std::size_t n) {
    return i < n ? p[i] : 0;
}

}  // namespace

std::string EucJpToShiftJis(std::string_view euc) {
    const auto* p = reinterpret_cast<const unsigned char*>(euc.data());
    const std::size_t n = euc.size();
    ByteSink out(n);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run_end = SkipAscii(p, i, n);
        out.Append(euc.data() + i, run_end - i);
        for (i = run_end; i < n && p[i] >= 0x80;) {
            const unsigned b = p[i];
            out.Reserve(2);
            if (b == 0x80 || b == 0xFF) {
                // No EUC-JP character starts here: kept as it is.
                out.Put(b);
                i += 1;
            } else if (b == kEucKanaPrefix) {
                // Half-width katakana lose their prefix; at the very end there
                // is nothing to write.
                if (i + 1 < n) out.Put(p[i + 1]);
                i += 2;
            } else {
                const BytePair s = JisToShiftJis(b & 0x7F, ByteAt(p, i + 1, n) & 0x7F);
                out.Put(s.first);
                out.Put(s.second);
                i += 2;
            }
        }
    }
    return out.Take();
}

std::string ShiftJisToEucJp(std::string_view sjis) {
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const std::size_t n = sjis.size();
    ByteSink out(n + n / 16);
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run_end = SkipAscii(p, i, n);
        out.Append(sjis.data() + i, run_end - i);
        for (i = run_end; i < n && p[i] >= 0x80;) {
            const unsigned b = p[i];
            out.Reserve(2);
            if (IsHalfWidthKatakana(b)) {
                out.Put(kEucKanaPrefix);
                out.Put(b);
                i += 1;
            } else {
                const BytePair j = ShiftJisToJis(b, ByteAt(p, i + 1, n));
                out.Put(j.first | 0x80);
                out.Put(j.second | 0x80);
                i += 2;
            }
        }
    }
    return out.Take();
}

}  // namespace drwa::text
