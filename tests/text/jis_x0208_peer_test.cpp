// Every character of JIS X 0208 rows 1 to 84 that both Shift_JIS (CP932) and
// EUC-JP hold, in all three forms, against glibc iconv; and every conversion
// between the forms round-trips.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "iconv_peer.h"
#include "text/code_conversions.h"
#include "text/japanese_code.h"

namespace drwa::text {
namespace {

using testing::IconvPeer;
using testing::RomanForAscii;

std::string Hex(const std::string& bytes) {
    std::string out;
    char buffer[4];
    for (unsigned char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", c);
        out += buffer;
    }
    return out;
}

TEST(JisX0208Peer, EveryCharacterAgreesWithIconvAndRoundTrips) {
    IconvPeer euc_to_sjis("EUC-JP", "CP932");
    IconvPeer euc_to_jis("EUC-JP", "ISO-2022-JP");
    int compared = 0;
    for (unsigned row = 1; row <= 84; ++row) {
        for (unsigned cell = 1; cell <= 94; ++cell) {
            const std::string jis_bytes{static_cast<char>(0x20 + row),
                                        static_cast<char>(0x20 + cell)};
            const std::string euc{static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            const auto peer_sjis = euc_to_sjis.Convert(euc);
            const auto peer_jis = euc_to_jis.Convert(euc);
            if (!peer_sjis || !peer_jis) continue;  // unassigned in one of the codes
            ++compared;
            const std::string jis = "\x1B$B" + jis_bytes + "\x1B(J";
            SCOPED_TRACE("row " + std::to_string(row) + " cell " + std::to_string(cell) +
                         ", EUC-JP " + Hex(euc));

            // Our forms against the peer's.
            const std::string sjis = EucJpToShiftJis(euc);
            ASSERT_EQ(Hex(sjis), Hex(*peer_sjis));
            ASSERT_EQ(Hex(EucJpToIso2022Jp(euc)), Hex(RomanForAscii(*peer_jis)));
            ASSERT_EQ(Hex(ShiftJisToIso2022Jp(sjis)), Hex(jis));

            // Every way back.
            ASSERT_EQ(Hex(ShiftJisToEucJp(sjis)), Hex(euc));
            ASSERT_EQ(Hex(Iso2022JpToShiftJis(jis)), Hex(sjis));
            ASSERT_EQ(Hex(Iso2022JpToEucJp(jis)), Hex(euc));
        }
    }
    // Rows 1 to 84 hold 6879 characters; iconv's CP932 and EUC-JP share them
    // all. Fewer means the peers were not what this test thinks they are.
    EXPECT_EQ(compared, 6879);
}

TEST(JisX0208Peer, DetectedTextConvertsLikeIconvBothWays) {
    // All of them in one text, so detection decides on real data too.
    std::string euc;
    IconvPeer euc_to_sjis("EUC-JP", "CP932");
    for (unsigned row = 1; row <= 84; ++row) {
        for (unsigned cell = 1; cell <= 94; ++cell) {
            const std::string c{static_cast<char>(0xA0 + row), static_cast<char>(0xA0 + cell)};
            if (euc_to_sjis.Convert(c)) euc += c;
        }
        euc += "\r\n";
    }
    IconvPeer peer_euc_to_jis("EUC-JP", "ISO-2022-JP");
    ASSERT_EQ(DetectJapaneseCode(euc), JapaneseCode::kEucJp);
    const std::string sjis = ConvertJapaneseCode(euc, JapaneseCode::kShiftJis);
    EXPECT_EQ(sjis, euc_to_sjis.Convert(euc).value());
    ASSERT_EQ(DetectJapaneseCode(sjis), JapaneseCode::kShiftJis);
    const std::string jis = ConvertJapaneseCode(sjis, JapaneseCode::kIso2022Jp);
    EXPECT_EQ(jis, RomanForAscii(peer_euc_to_jis.Convert(euc).value()));
    ASSERT_EQ(DetectJapaneseCode(jis), JapaneseCode::kIso2022Jp);
    EXPECT_EQ(ConvertJapaneseCode(jis, JapaneseCode::kEucJp), euc);
    EXPECT_EQ(ConvertJapaneseCode(jis, JapaneseCode::kShiftJis), sjis);
    EXPECT_EQ(ConvertJapaneseCode(sjis, JapaneseCode::kEucJp), euc);
}

}  // namespace
}  // namespace drwa::text
