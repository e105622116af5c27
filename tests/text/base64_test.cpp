// Both Base64 flavours: known texts, the file-name alphabet's two special
// symbols, the tolerance of the MIME decoder and the strictness of the
// file-name one.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/error.h"
#include "text/base64.h"
#include "text/filename_base64.h"

namespace drwa::text {
namespace {

struct Case {
    std::string bytes;
    std::string encoded;
};

TEST(Base64, EncodesKnownTexts) {
    const Case cases[] = {
        {"", ""},
        {"f", "Zg=="},
        {"fo", "Zm8="},
        {"foo", "Zm9v"},
        {"foobar", "Zm9vYmFy"},
        // Values 62 and 63: the only symbols that differ between the flavours.
        {"\xFB\xFF\xBF", "+/+/"},
        // ESC $ B ... ESC ( J, as an encoded word carries "テスト".
        {"\x1B$B%F%9%H\x1B(J", "GyRCJUYlOSVIGyhK"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(EncodeBase64(c.bytes), c.encoded) << c.encoded;
        EXPECT_EQ(DecodeBase64(c.encoded), c.bytes) << c.encoded;
    }
}

TEST(Base64, DecoderSkipsWhatIsNotInTheAlphabet) {
    const Case cases[] = {
        // CR LF between groups, as a wrapped body would carry them.
        {"foobar", "Zm9v\r\nYmFy"},
        {"foobar", "Zm9v\nYmFy\r\n"},
        // Blanks and foreign bytes inside a group are skipped, not decoded as
        // whatever a table slot happens to hold.
        {"foobar",
         "Zm 9v*Ym\x80"
         "Fy"},
        // Each "=" closes its group: words encoded one by one decode one by one.
        {"AA", "QQ==QQ=="},
        {"foo", "Zm9v===="},
        // A lone symbol carries no whole byte; a cut-off group keeps its bytes.
        {"", "Q"},
        {"fo", "Zm8"},
        {"", "!!!!"},
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeBase64(c.encoded), c.bytes) << c.encoded;
}

TEST(FileNameBase64, EncodesWithPlusAndAt) {
    const Case cases[] = {
        {"cm_test", "Y21fdGVzdA=="},
        {"\xFF\xFF\xFF", "@@@@"},
        {"\xFB\xEF\xBE", "++++"},
        {"", ""},
        // A Shift_JIS base name whose trail byte is "\" (0x5C): plain bytes here.
        {"\x95\x5C", "lVw="},
    };
    for (const auto& c : cases) {
        const std::string encoded = EncodeFileNameBase64(c.bytes);
        EXPECT_EQ(encoded, c.encoded);
        EXPECT_EQ(encoded.find_first_of("/.\r\n"), std::string::npos) << encoded;
        EXPECT_EQ(DecodeFileNameBase64(c.encoded), c.bytes) << c.encoded;
    }
}

TEST(FileNameBase64, UnevenLengthFailsWithTheDecoderMessage) {
    for (const std::string text : {"Y", "Y2", "Y21", "Y21fd", "Y21fdGVzdA="}) {
        try {
            DecodeFileNameBase64(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const drwa::Error& e) {
            EXPECT_STREQ(e.what(), "Uneven size in DecodeToStream.");
        }
    }
}

TEST(FileNameBase64, SlashIsForeignToTheFileNameAlphabet) {
    // "@@@@" is FF FF FF; the MIME spelling "////" is not a source name, and
    // its symbols are skipped rather than read as value 63.
    EXPECT_EQ(DecodeFileNameBase64("////"), "");
    EXPECT_EQ(DecodeBase64("@@@@"), "");
}

TEST(Base64, EveryLengthRoundTrips) {
    std::mt19937 random(20240611);
    std::string bytes;
    for (int length = 0; length < 300; ++length) {
        EXPECT_EQ(DecodeBase64(EncodeBase64(bytes)), bytes) << length;
        EXPECT_EQ(DecodeFileNameBase64(EncodeFileNameBase64(bytes)), bytes) << length;
        bytes.push_back(static_cast<char>(random()));
    }
}

}  // namespace
}  // namespace drwa::text
