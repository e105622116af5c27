#include "text/japanese_stream.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "text/byte_scan.h"
#include "text/code_conversions.h"
#include "text/jis_arithmetic.h"

namespace drwa::text {
namespace {

using Code = JapaneseCode;

// The detection checks the first 512 bytes for binary data before anything
// else, so no decision is taken on fewer than 513 (the last byte never
// starts a character). Of a plain ASCII start that much is always kept.
constexpr std::size_t kDetectionWindow = 513;
// Plain ASCII is handed on in runs of at least this size.
constexpr std::size_t kPlainRun = 64 * 1024;
// Pieces are converted once this much is pending (or at the end).
constexpr std::size_t kMinPiece = 16 * 1024;

// After a piece of ISO-2022-JP: back to single-byte mode, then a byte that
// only comes out when no NUL ended the Shift_JIS text before it.
constexpr std::string_view kJisSentinel = "\x1B(BZ";
constexpr std::string_view kJisDoubleByte = "\x1B$B";

// The first ESC at or after `i`, or `n`: a word at a time, as escapes come
// every few bytes in Japanese text.
std::size_t NextEscape(const unsigned char* p, std::size_t i, std::size_t n) {
    for (; i + 8 <= n; i += 8) {
        const std::uint64_t found = scan_detail::HasByte(scan_detail::Load8(p + i), kEsc);
        if (found != 0) return i + static_cast<std::size_t>(std::countr_zero(found)) / 8;
    }
    while (i < n && p[i] != kEsc) ++i;
    return i;
}

bool Decisive(Code code) {
    return code != Code::kAscii && code != Code::kUndecided;
}

}  // namespace

void JapaneseCodeStream::Feed(std::string_view bytes, const TextSink& release) {
    if (code_) return;
    const std::size_t before = held_.size();
    held_.append(bytes);
    if (plain_so_far_) {
        const auto* p = reinterpret_cast<const unsigned char*>(held_.data());
        if (SkipPlainText(p, before, held_.size()) == held_.size()) {
            // Plain ASCII converts to itself whatever the code turns out to
            // be, and the detection passes over it without a change: only
            // the last of it is kept, so that the check for binary data sees
            // what it would see in the whole text.
            if (held_.size() >= kDetectionWindow + kPlainRun) {
                const std::size_t hand_on = held_.size() - kDetectionWindow;
                release(std::string_view(held_).substr(0, hand_on));
                held_.erase(0, hand_on);
            }
            return;
        }
        plain_so_far_ = false;
    }
    // A decision on the bytes so far holds for the whole text: the detection
    // decides on bytes it has read, never on the end of the text. Looking
    // again only when the held bytes doubled keeps the work linear.
    if (held_.size() < kDetectionWindow || held_.size() < 2 * detected_size_) return;
    detected_size_ = held_.size();
    const Code code = DetectJapaneseCode(held_);
    if (Decisive(code)) code_ = code;
}

JapaneseCode JapaneseCodeStream::Finish() {
    if (!code_) code_ = DetectJapaneseCode(held_);
    return *code_;
}

JapaneseConvertStream::JapaneseConvertStream(JapaneseCode target, TextSink sink)
    : target_(target), sink_(std::move(sink)) {
    if (target != Code::kIso2022Jp && target != Code::kEucJp && target != Code::kShiftJis)
        mode_ = Mode::kPassThrough;
}

void JapaneseConvertStream::Feed(std::string_view bytes) {
    switch (mode_) {
        case Mode::kPassThrough:
            if (!bytes.empty()) sink_(bytes);
            return;
        case Mode::kDetecting:
            detection_.Feed(bytes, sink_);
            if (const auto code = detection_.Decided()) {
                Start(*code, detection_.TakeHeld());
                if (mode_ == Mode::kConvert) ConvertPending(false);
            }
            return;
        case Mode::kConvert:
            if (ended_) return;
            pending_.append(bytes);
            if (pending_.size() >= kMinPiece) ConvertPending(false);
            return;
    }
}

void JapaneseConvertStream::Finish() {
    if (mode_ == Mode::kDetecting) {
        const JapaneseCode code = detection_.Finish();
        Start(code, detection_.TakeHeld());
    }
    if (mode_ == Mode::kConvert) ConvertPending(true);
}

void JapaneseConvertStream::Start(JapaneseCode source, std::string held) {
    // As ConvertJapaneseCode: undecided text is left as it is, the older JIS
    // escape reads as ISO-2022-JP, a text in the target stays as it is.
    if (source == Code::kOldJis) source = Code::kIso2022Jp;
    if (!Decisive(source) || source == Code::kNotText || source == target_) {
        mode_ = Mode::kPassThrough;
        if (!held.empty()) sink_(held);
        return;
    }
    mode_ = Mode::kConvert;
    source_ = source;
    pending_ = std::move(held);
}

void JapaneseConvertStream::ConvertPending(bool at_end) {
    if (ended_) {
        pending_.clear();
        return;
    }
    if (at_end) {
        if (!pending_.empty()) ConvertPiece(pending_.size(), false, true);
        return;
    }
    bool double_byte_after = false;
    const std::size_t size =
        source_ == Code::kIso2022Jp ? JisSplitPoint(double_byte_after) : SplitPoint();
    if (size > 0) ConvertPiece(size, double_byte_after, false);
}

// Shift_JIS and EUC-JP: a byte below 0x80 is never a lead byte, so one that
// follows another such byte starts a character of its own, of one byte, and
// leaves the double-byte mode of an ISO-2022-JP output. Nothing after it looks
// back.
std::size_t JapaneseConvertStream::SplitPoint() {
    const auto* p = reinterpret_cast<const unsigned char*>(pending_.data());
    // Bytes searched before need no second look.
    for (std::size_t k = pending_.size(); k-- > std::max<std::size_t>(1, searched_);) {
        if (p[k] < 0x80 && p[k - 1] < 0x80) {
            searched_ = 0;
            return k + 1;
        }
    }
    searched_ = pending_.size();
    return 0;
}

// ISO-2022-JP as the conversion reads it: an escape takes three bytes, any
// other byte one, except that to Shift_JIS a double-byte character takes two
// whatever the second is (to EUC-JP each byte gains its high bit on its own).
// The walk goes on where it stopped; it prefers to end a piece in single-byte
// mode.
std::size_t JapaneseConvertStream::JisSplitPoint(bool& double_byte_after) {
    const auto* p = reinterpret_cast<const unsigned char*>(pending_.data());
    const std::size_t n = pending_.size();
    const bool pairs = target_ == Code::kShiftJis;
    std::size_t single_at = 0;  // the last place the walk was in single-byte mode
    std::size_t i = walked_;
    bool double_byte = walk_double_;
    // Up to `end` there is no escape: the walk moves on by characters.
    auto run_to = [&](std::size_t end) {
        if (!double_byte) {
            single_at = i = end;
        } else {
            i += pairs ? (end - i) & ~std::size_t{1} : end - i;
        }
    };
    // The escape at `esc` (nothing but characters before it); false when it
    // is cut by the end of what has come.
    auto escape = [&](std::size_t esc) {
        if (double_byte && pairs && (esc - i) % 2 != 0) {
            i = esc + 1;  // the second byte of a pair; the next pair follows it
            return true;
        }
        if (!double_byte) single_at = esc;
        i = esc;
        if (esc + 3 > n) return false;  // the rest is still to come
        if (p[esc + 1] == '$') double_byte = true;
        if (p[esc + 1] == '(') double_byte = false;
        i = esc + 3;
        return true;
    };
    bool whole = true;
    // Escapes come every few bytes in Japanese text: found 64 bytes at once.
    while (whole && i + 64 <= n) {
        const std::size_t block = i;
        for (std::uint64_t m = ByteMask64(p + block, kEsc, kEsc, kEsc); m != 0 && whole;
             m &= m - 1) {
            const std::size_t esc = block + static_cast<std::size_t>(std::countr_zero(m));
            if (esc >= i) whole = escape(esc);
        }
        if (whole && i < block + 64) run_to(block + 64);
    }
    while (whole && i < n) {
        const std::size_t esc = NextEscape(p, i, n);
        if (esc == n) {
            run_to(n);
            break;
        }
        whole = escape(esc);
    }
    if (!double_byte && whole) single_at = i;
    walked_ = i;
    walk_double_ = double_byte;
    if (single_at > 0) return single_at;
    double_byte_after = double_byte;
    return i;
}

void JapaneseConvertStream::ConvertPiece(std::size_t size, bool double_byte_after, bool at_end) {
    std::string out;
    if (source_ != Code::kIso2022Jp) {
        out = ConvertBetween(source_, target_, std::string_view(pending_).substr(0, size));
    } else {
        // The piece starts in the mode the one before left; to Shift_JIS, a
        // sentinel tells whether a NUL ended the text inside the piece. The
        // end of the text needs none: its last escape or pair may be cut.
        const bool sentinel = target_ == Code::kShiftJis && !at_end;
        std::string_view input = std::string_view(pending_).substr(0, size);
        std::size_t inserted = 0;
        if (double_byte_) {
            scratch_.assign(kJisDoubleByte);
            scratch_.append(input);
            if (sentinel) scratch_.append(kJisSentinel);
            input = scratch_;
        } else if (sentinel) {
            // In place: what follows the piece is short, a split lies near
            // the end of what has come.
            pending_.insert(size, kJisSentinel);
            inserted = kJisSentinel.size();
            input = std::string_view(pending_).substr(0, size + inserted);
        }
        out = ConvertBetween(source_, target_, input);
        pending_.erase(size, inserted);
        if (sentinel) {
            if (!out.empty() && out.back() == 'Z')
                out.pop_back();
            else
                ended_ = true;
        }
        double_byte_ = double_byte_after;
        walked_ -= std::min(walked_, size);
    }
    if (!out.empty()) sink_(out);
    pending_.erase(0, size);
    if (ended_) pending_.clear();
}

}  // namespace drwa::text
