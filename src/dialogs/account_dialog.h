// What the account settings dialog does, with no widget toolkit: it shows the
// library-wide settings of an account (section PLUGIN of the account settings
// file), checks them on OK and writes them back.
//
// As with the group dialog, the public fields are the controls' state, named
// as the controls are; a view copies what the user changed into them before a
// handler and shows them after it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "config/ini_file.h"
#include "dialogs/dialog_services.h"
#include "dialogs/format_panels.h"

namespace drwa::dialogs {

class TFormAccount {
  public:
    // Opens the account settings file and runs the proxy detection once, as
    // the dialog is created.
    TFormAccount(std::string account_path, DialogServices& services);
    ~TFormAccount();
    TFormAccount(const TFormAccount&) = delete;
    TFormAccount& operator=(const TFormAccount&) = delete;

    // --- Controls -----------------------------------------------------------
    std::string EditDRWAPluginFolder;
    std::string EditPerlFolder;
    std::string EditRubyFolder;
    int RadioGroup1 = 0;  // PROXY_SETTING: 0 none, 1 the host and port below, 2 the system's
    std::string EditProxy;
    std::string EditProxyPort;
    // EditProxy, EditProxyPort and their label are enabled exactly for item 1.
    bool ProxyControlsEnabled = false;
    int SpinEditTimeOut = 0;
    int SpinEditTimeOut2 = 120;
    int SpinEditThreadCount = 1;
    bool CheckBoxAbortTransLog = false;
    TFrameSubjectFrame TFrameSubjectFrame1;
    TFrameBBSTitleFrame TFrameBBSTitleFrame1;

    // Where a failed OK check puts the focus.
    enum class Field { kNone, kProxyPort, kThreadCount };
    Field FocusField = Field::kNone;

    // --- Handlers -----------------------------------------------------------
    // Fills the controls from section PLUGIN and lets the format panels load.
    void FormShow();
    void RadioGroup1Click();
    // The checks of OK: true when the dialog may close; otherwise the message
    // has been shown and FocusField says where the user must look.
    bool ButtonOKClick();
    // Writes the controls into section PLUGIN (after OK).
    void Save();

    const std::string& AccountPath() const { return account_path_; }

    // Limits of the number fields.
    static constexpr int kTimeOutMax = 999;
    static constexpr int kTimeOut2Min = 10;
    static constexpr int kTimeOut2Max = 3600;
    static constexpr int kTimeOut2Step = 10;
    static constexpr int kThreadCountMin = 1;
    static constexpr int kThreadCountMax = 4;
    static constexpr int kDefaultProxyPort = 8080;

  private:
    std::string account_path_;
    DialogServices& services_;
    std::unique_ptr<config::IniFile> account_;
};

// Runs the dialog modally: true when it was closed with OK. The dialog has
// been shown (FormShow) before.
using ShowAccountDialog = std::function<bool(TFormAccount&)>;

// The whole of editing an account: the dialog, the settings written after OK,
// and the group list rebuilt after OK and Cancel alike.
void EditAccount(std::string_view account_path, DialogServices& services,
                 const ShowAccountDialog& show);

// The dialog's fixed texts, CP932.
namespace account_texts {
extern const std::string_view kCaption;
extern const std::string_view kPluginFolder;
extern const std::string_view kPluginFolderChooser;
extern const std::string_view kPerl;
extern const std::string_view kRuby;
extern const std::string_view kBrowse;
extern const std::string_view kExecutableFilter;
extern const std::string_view kProxyCaption;
extern const std::array<std::string_view, 3> kProxyItems;
extern const std::string_view kProxyServer;
extern const std::array<std::string_view, 4> kPages;
extern const std::string_view kTimeOut;
extern const std::string_view kTimeOut2;
extern const std::string_view kThreadCount;
extern const std::string_view kAbortTransLog;
extern const std::array<std::string_view, 2> kTimeOutNote;
extern const std::string_view kTimeOut2Note;
extern const std::string_view kThreadCountNote;
extern const std::string_view kBadPort;
extern const std::string_view kBadThreadCount;
extern const std::string_view kOK;
extern const std::string_view kCancel;
// "DRWAプラグインプラグイン Ver.0.9β" and the author line.
std::string VersionLabel();
std::string AuthorLabel();
}  // namespace account_texts

}  // namespace drwa::dialogs
