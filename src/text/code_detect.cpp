// Detection of the Japanese code of a text. The order of the rules is kept
// exactly: stored article files and boards of every kind have been read with
// it, and a different guess on an ambiguous byte pair would convert them
// differently.
#include <algorithm>
#include <cstddef>

#include "text/byte_scan.h"
#include "text/japanese_code.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;

// Only the first 512 bytes are checked for binary data before the scan; the
// scan itself still stops on such a byte later on.
constexpr std::size_t kBinaryCheckSize = 512;

constexpr bool In(unsigned c, unsigned low, unsigned high) {
    return c >= low && c <= high;
}

constexpr bool IsBinaryByte(unsigned c) {
    return c < 0x08 || c == 0xFF;
}

class Detector {
  public:
    explicit Detector(std::string_view text)
        : p_(reinterpret_cast<const unsigned char*>(text.data())), n_(text.size()) {}

    Code Run() {
        const std::size_t checked = n_ == 0 ? 0 : std::min(kBinaryCheckSize, n_ - 1);
        for (std::size_t i = 0; i < checked; ++i) {
            if (IsBinaryByte(p_[i])) return Code::kNotText;
        }
        // The last byte never starts a character: every rule below may look
        // at the byte after the one it starts from.
        while ((code_ == Code::kAscii || code_ == Code::kUndecided) && i_ + 1 < n_) {
            i_ = SkipPlainText(p_, i_, n_ - 1);
            if (i_ + 1 >= n_) break;
            Step(p_[i_++]);
        }
        return code_;
    }

  private:
    // The byte at the cursor, 0 past the end (a truncated escape sequence is
    // read as far as it goes).
    unsigned Peek() const { return i_ < n_ ? p_[i_] : 0; }
    unsigned Take() { return i_ < n_ ? p_[i_++] : 0; }

    void Step(unsigned c) {
        if (c == 0x1B) {
            if (Take() != '$') return;
            const unsigned final_byte = Take();
            if (final_byte == 'B') code_ = Code::kIso2022Jp;
            if (final_byte == '@') code_ = Code::kOldJis;
        } else if (IsBinaryByte(c)) {
            code_ = Code::kNotText;
        } else if (c < 0x80 || c == 0x80 || c == 0xA0) {
            // Plain bytes, and the two values no code uses as a first byte.
        } else if (In(c, 0x81, 0x8D) || In(c, 0x8F, 0x9F)) {
            code_ = Code::kShiftJis;
        } else if (c == 0x8E) {
            // EUC-JP half-width katakana prefix, or a Shift_JIS lead byte.
            const unsigned d = Take();
            if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0) || In(d, 0xE0, 0xFC)) {
                code_ = Code::kShiftJis;
            } else if (In(d, 0xA1, 0xDF)) {
                code_ = Code::kUndecided;
            }
        } else if (In(c, 0xA1, 0xDF)) {
            StepFromKanaRange();
        } else if (In(c, 0xF0, 0xFE)) {
            code_ = Code::kEucJp;
        } else {  // 0xE0..0xEF: a Shift_JIS lead byte or an EUC-JP first byte
            const unsigned d = Take();
            if (In(d, 0x40, 0x7E) || In(d, 0x80, 0xA0)) {
                code_ = Code::kShiftJis;
            } else if (d == 0xFD || d == 0xFE) {
                code_ = Code::kEucJp;
            } else if (In(d, 0xA1, 0xFC)) {
                code_ = Code::kUndecided;
            }
        }
    }

    // After 0xA1..0xDF: Shift_JIS half-width katakana, or the first byte of an
    // EUC-JP character.
    void StepFromKanaRange() {
        const unsigned d = Take();
        if (In(d, 0xF0, 0xFE)) {
            code_ = Code::kEucJp;
        } else if (In(d, 0xA1, 0xDF)) {
            code_ = Code::kUndecided;
        } else if (In(d, 0xE0, 0xEF)) {
            // Katakana before a Shift_JIS lead byte, or EUC-JP: the bytes that
            // follow tell, as long as they stay outside ASCII. The scan may
            // start after d: d itself (0xE0..0xEF) decides nothing.
            code_ = Code::kUndecided;
            while (code_ == Code::kUndecided && i_ < n_ && p_[i_] >= 0x40) {
                const unsigned b = p_[i_++];
                if (In(b, 0x81, 0x8D) || In(b, 0x8F, 0x9C)) code_ = Code::kShiftJis;
                if (b == 0xFD || b == 0xFE) code_ = Code::kEucJp;
            }
            // The byte that ended the scan is passed over as well.
            if (i_ < n_) ++i_;
        } else if (d <= 0x9F) {
            code_ = Code::kShiftJis;
        }
    }

    const unsigned char* p_;
    std::size_t n_;
    std::size_t i_ = 0;
    Code code_ = Code::kAscii;
};

}  // namespace

JapaneseCode DetectJapaneseCode(std::string_view text) {
    return Detector(text).Run();
}

}  // namespace drwa::text
