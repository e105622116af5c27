// Detection first, then one of the six conversions.
#include "text/code_conversions.h"
#include "text/japanese_code.h"

namespace drwa::text {

std::string ConvertJapaneseCode(std::string_view text, JapaneseCode target) {
    using Code = JapaneseCode;
    if (target != Code::kIso2022Jp && target != Code::kEucJp && target != Code::kShiftJis) {
        return std::string(text);
    }
    Code source = DetectJapaneseCode(text);
    // Undecided text is left alone rather than guessed at: a line of
    // half-width katakana only is such a text.
    if (source == Code::kAscii || source == Code::kNotText || source == Code::kUndecided) {
        return std::string(text);
    }
    // The older JIS escape reads the same way; it is passed on as it came.
    if (source == Code::kOldJis) source = Code::kIso2022Jp;
    if (source == target) return std::string(text);
    return ConvertBetween(source, target, text);
}

std::string ConvertBetween(JapaneseCode source, JapaneseCode target, std::string_view text) {
    using Code = JapaneseCode;
    switch (source) {
        case Code::kShiftJis:
            return target == Code::kIso2022Jp ? ShiftJisToIso2022Jp(text) : ShiftJisToEucJp(text);
        case Code::kEucJp:
            return target == Code::kIso2022Jp ? EucJpToIso2022Jp(text) : EucJpToShiftJis(text);
        default:  // ISO-2022-JP
            return target == Code::kShiftJis ? Iso2022JpToShiftJis(text) : Iso2022JpToEucJp(text);
    }
}

}  // namespace drwa::text
