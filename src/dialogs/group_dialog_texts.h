// The fixed texts of the group properties dialog, shared by its views. CP932,
// like all text of the library; "&" marks the access key as usual.
#pragma once

#include <array>
#include <string_view>

namespace drwa::dialogs::group_texts {

extern const std::string_view kCaption;
extern const std::string_view kButtonMakeFolder;
extern const std::string_view kLabelNameHenko;
extern const std::string_view kButtonOK;
extern const std::string_view kButtonCancel;

extern const std::array<std::string_view, 4> kPages;
extern const std::array<std::string_view, 3> kOptionPages;

extern const std::string_view kComboBoxPluginName;
extern const std::string_view kCheckBoxJunkai;
extern const std::string_view kButtonPluginHelp;
extern const std::string_view kLabelTaiou;
extern const std::string_view kLabelSakusya;
extern const std::string_view kLabelVersion;
extern const std::string_view kLabelComment;

// The patrol labels before a plugin names them, in box order 1 ... 10.
extern const std::array<std::string_view, 10> kPatrolLabels;

extern const std::string_view kFramePropertyEdit;
extern const std::string_view kComboBoxCharSet;
extern const std::array<std::string_view, 2> kCharSets;
extern const std::string_view kMemoSignature;

extern const std::string_view kInherit;
extern const std::string_view kSpinEditThreadNumber;
extern const std::string_view kCheckBoxSaveNumber;
extern const std::string_view kButtonTorikomi;

extern const std::string_view kImportTitle;
extern const std::string_view kImportFilter;
extern const std::string_view kImportDone;

extern const std::string_view kPluginStartFailed;
extern const std::string_view kNoPluginHelp;
extern const std::string_view kRenameCancelled;

}  // namespace drwa::dialogs::group_texts
