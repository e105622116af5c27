// Every codec of Japanese text on outside bytes: article files, board pages and
// mail headers all arrive here unchecked. Besides crashes and sanitizer
// findings it checks what must hold for any input: Base64 round-trips, header
// decoding never grows a line, the fast converters agree with plain ones, the file-name decoder
// fails exactly on an uneven length, and a search result lies inside the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "common/error.h"
#include "reference_conversions.h"
#include "text/base64.h"
#include "text/code_conversions.h"
#include "text/filename_base64.h"
#include "text/header_words.h"
#include "text/japanese_code.h"
#include "text/text_search.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace drwa::text;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const auto code = static_cast<int>(DetectJapaneseCode(text));
    Check(code >= 0 && code <= 6);
    for (const JapaneseCode target : {JapaneseCode::kIso2022Jp, JapaneseCode::kEucJp,
                                      JapaneseCode::kShiftJis, JapaneseCode::kUndecided}) {
        ConvertJapaneseCode(text, target);
    }
    // The converters' shortcuts must give exactly what the plain definitions
    // give, malformed input included.
    Check(ShiftJisToIso2022Jp(text) == reference::ShiftJisToIso2022Jp(text));
    Check(EucJpToIso2022Jp(text) == reference::EucJpToIso2022Jp(text));
    Check(Iso2022JpToShiftJis(text) == reference::Iso2022JpToShiftJis(text));
    Check(Iso2022JpToEucJp(text) == reference::Iso2022JpToEucJp(text));
    Check(EucJpToShiftJis(text) == reference::EucJpToShiftJis(text));
    Check(ShiftJisToEucJp(text) == reference::ShiftJisToEucJp(text));

    EncodeHeaderLine(text);
    // A word of 18 + L characters decodes to at most 3L/4 + 5 bytes, and an
    // unclosed marker is dropped: a decoded line is never longer.
    Check(DecodeHeaderLine(text).size() <= text.size());

    Check(DecodeBase64(EncodeBase64(text)) == text);
    Check(DecodeFileNameBase64(EncodeFileNameBase64(text)) == text);
    DecodeBase64(text);
    try {
        DecodeFileNameBase64(text);
        Check(text.size() % 4 == 0);
    } catch (const drwa::Error&) {
        Check(text.size() % 4 != 0);
    }

    // First byte: where the pattern starts in the rest; the rest is text and
    // pattern at once, so matches are common.
    if (size >= 2) {
        const std::string_view rest = text.substr(1);
        const std::size_t cut = data[0] % rest.size();
        const std::string_view pattern = rest.substr(cut, data[0] % 7 + 1);
        const std::size_t start = data[0] % 3 == 0 ? 0 : cut / 2;
        if (const auto match = FindText(rest, start, data[0] % 2, pattern)) {
            Check(match->length > 0 && match->start + match->length <= rest.size());
        }
    }
    return 0;
}
