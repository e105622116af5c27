// The dialog's texts are compiled here, as CP932, once: the views that use
// them may be compiled with another execution character set (Qt's headers
// hold characters that CP932 lacks).
#include "dialogs/group_dialog_texts.h"

namespace drwa::dialogs::group_texts {

const std::string_view kCaption = "掲示板プロパティ";
const std::string_view kButtonMakeFolder = "作成";
const std::string_view kLabelNameHenko = "名前の変更";
const std::string_view kButtonOK = "OK";
const std::string_view kButtonCancel = "キャンセル";
const std::string_view kComboBoxPluginName = "掲示板処理プラグイン(&S)";
const std::string_view kCheckBoxJunkai = "巡回対象とする(&B)";
const std::string_view kButtonPluginHelp = "プラグインヘルプ(&H)";
const std::string_view kLabelTaiou = "対応：";
const std::string_view kLabelSakusya = "作者：";
const std::string_view kLabelVersion = "バージョン：";
const std::string_view kLabelComment = "コメント：";
const std::string_view kFramePropertyEdit = "プラグイン詳細設定(&O):";
const std::string_view kComboBoxCharSet = "送信時の文字コード(&C)";
const std::string_view kMemoSignature = "署名(&S)";
const std::string_view kInherit = "上位の設定を引き継ぐ";
const std::string_view kSpinEditThreadNumber = "スレッドナンバー（0は指定なし）";
const std::string_view kCheckBoxSaveNumber = "発言番号を保存する（発言が重複する場合）";
const std::string_view kButtonTorikomi = "DRWAログ取込";
const std::string_view kImportTitle = "DRWAのCMTの取込";
const std::string_view kImportFilter = "CMTファイル|*.cmt|すべてのファイル|*.*";
const std::string_view kImportDone = "CMTファイルの取込が完了しました";
const std::string_view kPluginStartFailed = "プラグインの起動に失敗しました";
const std::string_view kNoPluginHelp = "プラグインのヘルプと思われるファイルは見あたりません";
const std::string_view kRenameCancelled = "名前の変更は中止しました";
const std::array<std::string_view, 4> kPages{"基本設定", "巡回設定", "詳細", "詳細2"};
const std::array<std::string_view, 3> kOptionPages{"Subject", "BBSTitle", "その他"};
const std::array<std::string_view, 10> kPatrolLabels{
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
const std::array<std::string_view, 2> kCharSets{"S-JIS", "EUC"};

}  // namespace drwa::dialogs::group_texts
