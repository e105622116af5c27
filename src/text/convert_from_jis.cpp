// ISO-2022-JP to Shift_JIS and to EUC-JP.
#include <algorithm>
#include <string_view>

#include "text/byte_scan.h"
#include "text/byte_sink.h"
#include "text/code_conversions.h"
#include "text/jis_arithmetic.h"

namespace drwa::text {
namespace {

constexpr unsigned char kEsc = 0x1B;

// Reads ISO-2022-JP loosely, as mail from every kind of sender arrives: ESC $
// and any byte enters double-byte mode (JIS X 0208 in its 1978 and 1983
// editions alike), ESC ( and any byte leaves it, any other escape sequence is
// dropped without a change of mode.
class JisReader {
  public:
    explicit JisReader(std::string_view text)
        : p_(reinterpret_cast<const unsigned char*>(text.data())), n_(text.size()) {}

    // Consumes every escape sequence at the cursor (a truncated one as far as
    // it goes); false at the end of the text.
    bool SkipEscapes() {
        while (i_ < n_ && p_[i_] == kEsc) {
            if (i_ + 1 < n_) {
                if (p_[i_ + 1] == '$') double_byte_ = true;
                if (p_[i_ + 1] == '(') double_byte_ = false;
            }
            i_ = std::min(i_ + 3, n_);
        }
        return i_ < n_;
    }

    bool double_byte() const { return double_byte_; }
    const unsigned char* data() const { return p_; }
    std::size_t size() const { return n_; }
    std::size_t pos() const { return i_; }
    void Seek(std::size_t i) { i_ = i; }

    // The pair at the cursor; a missing trail byte at the end counts as 0.
    BytePair TakePair() {
        const BytePair pair{p_[i_], static_cast<unsigned char>(i_ + 1 < n_ ? p_[i_ + 1] : 0)};
        i_ = std::min(i_ + 2, n_);
        return pair;
    }

  private:
    const unsigned char* p_;
    std::size_t n_;
    std::size_t i_ = 0;
    bool double_byte_ = false;
};

}  // namespace

std::string Iso2022JpToShiftJis(std::string_view jis) {
    JisReader in(jis);
    ByteSink out(jis.size());
    while (in.SkipEscapes()) {
        if (in.double_byte()) {
            const BytePair j = in.TakePair();
            const BytePair s = JisToShiftJis(j.first, j.second);
            // The Shift_JIS text ends at its first NUL, wherever that comes
            // from: callers hand it on as a C string.
            if (s.first == 0) break;
            out.Reserve(2);
            out.Put(s.first);
            if (s.second == 0) break;
            out.Put(s.second);
            continue;
        }
        // Single-byte mode copies every byte, also those at or above 0x80.
        const std::size_t start = in.pos();
        const std::size_t end = FindEitherByte(in.data(), start, in.size(), kEsc, 0);
        out.Append(jis.data() + start, end - start);
        if (end < in.size() && in.data()[end] == 0) break;
        in.Seek(end);
    }
    return out.Take();
}

std::string Iso2022JpToEucJp(std::string_view jis) {
    JisReader in(jis);
    ByteSink out(jis.size());
    while (in.SkipEscapes()) {
        const std::size_t start = in.pos();
        const std::size_t end = FindEitherByte(in.data(), start, in.size(), kEsc, kEsc);
        if (!in.double_byte()) {
            out.Append(jis.data() + start, end - start);
        } else {
            // Byte by byte: JIS bytes 0x21..0x7E gain the high bit, anything
            // else (a stray line end) passes unchanged.
            for (std::size_t i = start; i < end; ++i) {
                const unsigned b = in.data()[i];
                out.Reserve(1);
                out.Put(b >= 0x21 && b <= 0x7E ? b | 0x80 : b);
            }
        }
        in.Seek(end);
    }
    return out.Take();
}

}  // namespace drwa::text
