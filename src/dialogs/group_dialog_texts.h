// The fixed texts of the group properties dialog, shared by its views. CP932,
// like all text of the library; "&" marks the access key as usual.
#pragma once

#include <array>
#include <string_view>

namespace drwa::dialogs::group_texts {

inline constexpr std::string_view kCaption = "掲示板プロパティ";
inline constexpr std::string_view kButtonMakeFolder = "作成";
inline constexpr std::string_view kLabelNameHenko = "名前の変更";
inline constexpr std::string_view kButtonOK = "OK";
inline constexpr std::string_view kButtonCancel = "キャンセル";

inline constexpr std::array<std::string_view, 4> kPages{"基本設定", "巡回設定", "詳細", "詳細2"};
inline constexpr std::array<std::string_view, 3> kOptionPages{"Subject", "BBSTitle", "その他"};

inline constexpr std::string_view kComboBoxPluginName = "掲示板処理プラグイン(&S)";
inline constexpr std::string_view kCheckBoxJunkai = "巡回対象とする(&B)";
inline constexpr std::string_view kButtonPluginHelp = "プラグインヘルプ(&H)";
inline constexpr std::string_view kLabelTaiou = "対応：";
inline constexpr std::string_view kLabelSakusya = "作者：";
inline constexpr std::string_view kLabelVersion = "バージョン：";
inline constexpr std::string_view kLabelComment = "コメント：";

// The patrol labels before a plugin names them, in box order 1 ... 10.
inline constexpr std::array<std::string_view, 10> kPatrolLabels{
    "掲示板のアドレス(URI)(&A):",
    "書き込み先のアドレス(URI)(&W):",
    "名前(&N):",
    "メールアドレス(&M):",
    "ホームページ(URI)(&U):",
    "削除キーor管理者マスターキー(6文字以上)(&K):",
    "読み取りページ数(無指定:1)(&P):",
    "未読ポインタ(参考値/№)(&D)",
    "ID",
    "パスワード",
};

inline constexpr std::string_view kFramePropertyEdit = "プラグイン詳細設定(&O):";
inline constexpr std::string_view kComboBoxCharSet = "送信時の文字コード(&C)";
inline constexpr std::array<std::string_view, 2> kCharSets{"S-JIS", "EUC"};
inline constexpr std::string_view kMemoSignature = "署名(&S)";

inline constexpr std::string_view kInherit = "上位の設定を引き継ぐ";
inline constexpr std::string_view kSpinEditThreadNumber = "スレッドナンバー（0は指定なし）";
inline constexpr std::string_view kCheckBoxSaveNumber = "発言番号を保存する（発言が重複する場合）";
inline constexpr std::string_view kButtonTorikomi = "DRWAログ取込";

inline constexpr std::string_view kImportTitle = "DRWAのCMTの取込";
inline constexpr std::string_view kImportFilter = "CMTファイル|*.cmt|すべてのファイル|*.*";
inline constexpr std::string_view kImportDone = "CMTファイルの取込が完了しました";

inline constexpr std::string_view kPluginStartFailed = "プラグインの起動に失敗しました";
inline constexpr std::string_view kNoPluginHelp =
    "プラグインのヘルプと思われるファイルは見あたりません";
inline constexpr std::string_view kRenameCancelled = "名前の変更は中止しました";

}  // namespace drwa::dialogs::group_texts
