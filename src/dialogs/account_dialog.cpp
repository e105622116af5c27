#include "dialogs/account_dialog.h"

#include "common/error.h"
#include "common/identity.h"
#include "config/folders.h"
#include "config/group_registry.h"
#include "config/proxy_settings.h"
#include "config/settings_keys.h"
#include "config/text_helpers.h"
#include "platform/proxy_source.h"

namespace drwa::dialogs {

namespace account_texts {
const std::string_view kCaption = "アカウントの設定(DRWAプラグインプラグイン)";
const std::string_view kPluginFolder = "DRWAプラグインフォルダ";
const std::string_view kPluginFolderChooser = "DRWAプラグインフォルダの設定";
const std::string_view kPerl = "Perl";
const std::string_view kRuby = "Ruby";
const std::string_view kBrowse = "...";
const std::string_view kExecutableFilter = "アプリケーション|*.exe|すべてのファイル|*.*";
const std::string_view kProxyCaption = "プロキシの設定";
const std::array<std::string_view, 3> kProxyItems{"使わない", "指定する", "IEの設定に従う"};
const std::string_view kProxyServer = "プロキシサーバー";
const std::array<std::string_view, 4> kPages{"基本設定", "その他", "Subject", "BBSTitle"};
const std::string_view kTimeOut = "タイムアウト（秒）";
const std::string_view kTimeOut2 = "タイムアウト2(秒)";
const std::string_view kThreadCount = "スレッド数";
const std::string_view kAbortTransLog = "受信を中止した場合でもログを変換する";
const std::array<std::string_view, 2> kTimeOutNote{"このDRWAプラグインプラグイン",
                                                   "でPOSTするときだけの設定"};
const std::string_view kTimeOut2Note = "スレッドを強制終了する設定";
const std::string_view kThreadCountNote = "同時受信のスレッド数(Max.=4)";
const std::string_view kBadPort = "ポート番号が不正です";
const std::string_view kBadThreadCount = "スレッド数は１以上４以下です";
const std::string_view kOK = "OK";
const std::string_view kCancel = "キャンセル";

std::string VersionLabel() {
    return std::string(kLibraryName) + " Ver." + kLibraryVersion;
}

std::string AuthorLabel() {
    return kLibraryAuthor;
}
}  // namespace account_texts

namespace {

namespace keys = config::keys;

// A port as typed: a decimal number, blanks around it allowed.
std::optional<std::int32_t> DecimalPort(std::string_view text) {
    text = config::TrimText(text);
    if (text.empty() || text.size() > 9) return std::nullopt;
    std::int32_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

}  // namespace

TFormAccount::TFormAccount(std::string account_path, DialogServices& services)
    : account_path_(std::move(account_path)),
      services_(services),
      account_(std::make_unique<config::IniFile>(account_path_)) {
    // A system proxy setting that does not read (a port that is no number)
    // shows as none found: it must not keep the user from the dialog where
    // the proxy is set.
    config::ProxyResult detected;
    try {
        detected = config::DetectSystemProxy(platform::ReadSystemProxySettings());
    } catch (const Error&) {
    }
    if (detected.found) {
        EditProxy = detected.host;
        EditProxyPort = std::to_string(detected.port);
    }
}

TFormAccount::~TFormAccount() = default;

void TFormAccount::FormShow() {
    const config::IniFile& a = *account_;
    // A new account starts with the plugins installed with the library.
    EditDRWAPluginFolder =
        a.ReadString(keys::kPlugin, keys::kPluginFolder, config::InstalledPluginFolder());
    EditPerlFolder = a.ReadString(keys::kPlugin, keys::kPerlExe, keys::kDefaultPerlExe);
    EditRubyFolder = a.ReadString(keys::kPlugin, keys::kRubyExe, keys::kDefaultRubyExe);
    RadioGroup1 = a.ReadInteger(keys::kPlugin, keys::kProxySetting, 0);
    // A stored setting outside the three items selects none, as the proxy
    // lookup treats it as no proxy.
    if (RadioGroup1 < 0 || RadioGroup1 > 2) RadioGroup1 = -1;
    if (RadioGroup1 == 1) {
        EditProxy = a.ReadString(keys::kPlugin, keys::kProxyHost, "");
        EditProxyPort =
            std::to_string(a.ReadInteger(keys::kPlugin, keys::kProxyPort, kDefaultProxyPort));
    }
    SpinEditTimeOut = a.ReadInteger(keys::kPlugin, keys::kTimeout, 0);
    SpinEditTimeOut2 = a.ReadInteger(keys::kPlugin, keys::kTimeout2, keys::kDefaultTimeout2);
    SpinEditThreadCount =
        a.ReadInteger(keys::kPlugin, keys::kThreadCount, keys::kDefaultThreadCount);
    CheckBoxAbortTransLog = a.ReadBool(keys::kPlugin, keys::kAbortTransLog, false);
    RadioGroup1Click();
    for (auto* panel : {&TFrameSubjectFrame1.Section, &TFrameBBSTitleFrame1.Section})
        *panel = keys::kPlugin;
    TFrameSubjectFrame1.Settings = account_.get();
    TFrameBBSTitleFrame1.Settings = account_.get();
    TFrameSubjectFrame1.Load();
    TFrameBBSTitleFrame1.Load();
}

void TFormAccount::RadioGroup1Click() {
    ProxyControlsEnabled = RadioGroup1 == 1;
}

bool TFormAccount::ButtonOKClick() {
    FocusField = Field::kNone;
    if (RadioGroup1 == 1) {
        const auto port = DecimalPort(EditProxyPort);
        if (!port || *port < 1 || *port > 65535) {
            FocusField = Field::kProxyPort;
            services_.ShowError(port ? std::string(account_texts::kBadPort)
                                     : FormatMessage("'%s' は整数として読めません", EditProxyPort));
            return false;
        }
    }
    if (SpinEditThreadCount < kThreadCountMin || SpinEditThreadCount > kThreadCountMax) {
        FocusField = Field::kThreadCount;
        services_.ShowError(account_texts::kBadThreadCount);
        return false;
    }
    return true;
}

void TFormAccount::Save() {
    config::IniFile& a = *account_;
    a.WriteString(keys::kPlugin, keys::kPluginFolder, EditDRWAPluginFolder);
    a.WriteString(keys::kPlugin, keys::kPerlExe, EditPerlFolder);
    a.WriteString(keys::kPlugin, keys::kRubyExe, EditRubyFolder);
    a.WriteInteger(keys::kPlugin, keys::kProxySetting, RadioGroup1);
    if (RadioGroup1 == 1) {
        a.WriteString(keys::kPlugin, keys::kProxyHost, EditProxy);
        a.WriteInteger(keys::kPlugin, keys::kProxyPort, DecimalPort(EditProxyPort).value_or(0));
    }
    a.WriteInteger(keys::kPlugin, keys::kTimeout, SpinEditTimeOut);
    a.WriteInteger(keys::kPlugin, keys::kTimeout2, SpinEditTimeOut2);
    a.WriteInteger(keys::kPlugin, keys::kThreadCount, SpinEditThreadCount);
    a.WriteBool(keys::kPlugin, keys::kAbortTransLog, CheckBoxAbortTransLog);
    TFrameSubjectFrame1.Save();
    TFrameBBSTitleFrame1.Save();
}

void EditAccount(std::string_view account_path, DialogServices& services,
                 const ShowAccountDialog& show) {
    {
        TFormAccount dialog{std::string(account_path), services};
        dialog.FormShow();
        if (show(dialog)) dialog.Save();
    }
    config::IniFile account{std::string(account_path)};
    config::RebuildGroupRegistry(account);
}

}  // namespace drwa::dialogs
