// The host's conversions on Windows: the library's CP932 shown as UTF-8 with
// "?" for each byte that is no character, and UTF-8 given to the library as
// CP932 or refused, under whatever ANSI code page the run has.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "terminal_text.h"

namespace drwa_host {
namespace {

TEST(HostText, Cp932ShownAsUtf8) {
    const struct {
        std::string cp932, utf8;
    } cases[] = {
        {"", ""},
        {"\x95\x5c\x83\x5c", "表ソ"},  // trail bytes 0x5C stay inside their characters
        {"\x87\x40", "①"},             // NEC row 13
        {"\xb1\xdd", "ｱﾝ"},            // half-width katakana
        {"a\x82\xa0\x82", "aあ?"},     // a lead byte cut off at the end
        {"\x82\x20x", "? x"},          // a lead byte before no trail byte
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf8(c.cp932), c.utf8) << c.utf8;
}

TEST(HostText, Utf8GivenAsCp932OrRefused) {
    EXPECT_EQ(ToCp932("雑談\\過去ログ"), "\x8e\x47\x92\x6b\\\x89\xdf\x8b\x8e\x83\x8d\x83\x4f");
    EXPECT_EQ(ToCp932("①ｱ"), "\x87\x40\xb1");
    // No look-alike stands in: "é" as "e" would name another file.
    for (const char* refused : {"café", "😀", "\xff"})
        EXPECT_THROW(ToCp932(refused), std::runtime_error) << refused;
}

}  // namespace
}  // namespace drwa_host
