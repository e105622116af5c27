#include "text/halfwidth_kana.h"

#include <array>

namespace drwa::text {
namespace {

constexpr unsigned char kVoicedMark = 0xDE;
constexpr unsigned char kSemiVoicedMark = 0xDF;

struct KanaRow {
    unsigned char row;
    unsigned char cell;
    unsigned char voiced;       // cell with the voiced mark merged, 0: not merged
    unsigned char semi_voiced;  // cell with the semi-voiced mark merged, 0: not merged
};

// One row per byte 0xA1..0xDF, in byte order. The symbols sit in JIS row 0x21,
// the letters in row 0x25; the sound marks merge only where JIS X 0208 has the
// combined letter (ヴ, ガ..ド, バ..ポ).
constexpr std::array<KanaRow, 63> kKana{{
    {0x21, 0x23, 0, 0},        // A1 ｡ 。
    {0x21, 0x56, 0, 0},        // A2 ｢ 「
    {0x21, 0x57, 0, 0},        // A3 ｣ 」
    {0x21, 0x22, 0, 0},        // A4 ､ 、
    {0x21, 0x26, 0, 0},        // A5 ･ ・
    {0x25, 0x72, 0, 0},        // A6 ｦ ヲ
    {0x25, 0x21, 0, 0},        // A7 ｧ ァ
    {0x25, 0x23, 0, 0},        // A8 ｨ ィ
    {0x25, 0x25, 0, 0},        // A9 ｩ ゥ
    {0x25, 0x27, 0, 0},        // AA ｪ ェ
    {0x25, 0x29, 0, 0},        // AB ｫ ォ
    {0x25, 0x63, 0, 0},        // AC ｬ ャ
    {0x25, 0x65, 0, 0},        // AD ｭ ュ
    {0x25, 0x67, 0, 0},        // AE ｮ ョ
    {0x25, 0x43, 0, 0},        // AF ｯ ッ
    {0x21, 0x3C, 0, 0},        // B0 ｰ ー
    {0x25, 0x22, 0, 0},        // B1 ｱ ア
    {0x25, 0x24, 0, 0},        // B2 ｲ イ
    {0x25, 0x26, 0x74, 0},     // B3 ｳ ウ, ヴ
    {0x25, 0x28, 0, 0},        // B4 ｴ エ
    {0x25, 0x2A, 0, 0},        // B5 ｵ オ
    {0x25, 0x2B, 0x2C, 0},     // B6 ｶ カ ガ
    {0x25, 0x2D, 0x2E, 0},     // B7 ｷ キ ギ
    {0x25, 0x2F, 0x30, 0},     // B8 ｸ ク グ
    {0x25, 0x31, 0x32, 0},     // B9 ｹ ケ ゲ
    {0x25, 0x33, 0x34, 0},     // BA ｺ コ ゴ
    {0x25, 0x35, 0x36, 0},     // BB ｻ サ ザ
    {0x25, 0x37, 0x38, 0},     // BC ｼ シ ジ
    {0x25, 0x39, 0x3A, 0},     // BD ｽ ス ズ
    {0x25, 0x3B, 0x3C, 0},     // BE ｾ セ ゼ
    {0x25, 0x3D, 0x3E, 0},     // BF ｿ ソ ゾ
    {0x25, 0x3F, 0x40, 0},     // C0 ﾀ タ ダ
    {0x25, 0x41, 0x42, 0},     // C1 ﾁ チ ヂ
    {0x25, 0x44, 0x45, 0},     // C2 ﾂ ツ ヅ
    {0x25, 0x46, 0x47, 0},     // C3 ﾃ テ デ
    {0x25, 0x48, 0x49, 0},     // C4 ﾄ ト ド
    {0x25, 0x4A, 0, 0},        // C5 ﾅ ナ
    {0x25, 0x4B, 0, 0},        // C6 ﾆ ニ
    {0x25, 0x4C, 0, 0},        // C7 ﾇ ヌ
    {0x25, 0x4D, 0, 0},        // C8 ﾈ ネ
    {0x25, 0x4E, 0, 0},        // C9 ﾉ ノ
    {0x25, 0x4F, 0x50, 0x51},  // CA ﾊ ハ バ パ
    {0x25, 0x52, 0x53, 0x54},  // CB ﾋ ヒ ビ ピ
    {0x25, 0x55, 0x56, 0x57},  // CC ﾌ フ ブ プ
    {0x25, 0x58, 0x59, 0x5A},  // CD ﾍ ヘ ベ ペ
    {0x25, 0x5B, 0x5C, 0x5D},  // CE ﾎ ホ ボ ポ
    {0x25, 0x5E, 0, 0},        // CF ﾏ マ
    {0x25, 0x5F, 0, 0},        // D0 ﾐ ミ
    {0x25, 0x60, 0, 0},        // D1 ﾑ ム
    {0x25, 0x61, 0, 0},        // D2 ﾒ メ
    {0x25, 0x62, 0, 0},        // D3 ﾓ モ
    {0x25, 0x64, 0, 0},        // D4 ﾔ ヤ
    {0x25, 0x66, 0, 0},        // D5 ﾕ ユ
    {0x25, 0x68, 0, 0},        // D6 ﾖ ヨ
    {0x25, 0x69, 0, 0},        // D7 ﾗ ラ
    {0x25, 0x6A, 0, 0},        // D8 ﾘ リ
    {0x25, 0x6B, 0, 0},        // D9 ﾙ ル
    {0x25, 0x6C, 0, 0},        // DA ﾚ レ
    {0x25, 0x6D, 0, 0},        // DB ﾛ ロ
    {0x25, 0x6F, 0, 0},        // DC ﾜ ワ
    {0x25, 0x73, 0, 0},        // DD ﾝ ン
    {0x21, 0x2B, 0, 0},        // DE ﾞ ゛
    {0x21, 0x2C, 0, 0},        // DF ﾟ ゜
}};

}  // namespace

FullWidthKana ToFullWidthKana(unsigned char kana, unsigned char next) {
    const KanaRow& k = kKana[static_cast<unsigned char>(kana - 0xA1) % kKana.size()];
    if (next == kVoicedMark && k.voiced != 0) return {k.row, k.voiced, true};
    if (next == kSemiVoicedMark && k.semi_voiced != 0) return {k.row, k.semi_voiced, true};
    return {k.row, k.cell, false};
}

}  // namespace drwa::text
