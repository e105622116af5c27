// The group properties dialog without a display: real account and group
// folders, real Perl plugins, the user's answers given by the test.
#include "dialogs/group_dialog.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/ini_file.h"
#include "dialogs/edit_group_property.h"
#include "support/temp_folder.h"
#include "support/test_account.h"

namespace drwa::dialogs {
namespace {

using drwa::testing::TempFolder;

class ScriptedUser final : public DialogServices {
  public:
    platform::Answer AskOkCancel(std::string_view text) override {
        questions.emplace_back(text);
        return answer_yes ? platform::Answer::kOk : platform::Answer::kCancel;
    }
    void ShowError(std::string_view text) override { errors.emplace_back(text); }
    void ShowInformation(std::string_view text) override { infos.emplace_back(text); }
    bool AskYesNo(std::string_view text) override {
        questions.emplace_back(text);
        return answer_yes;
    }
    std::vector<std::string> ChooseFilesToOpen(std::string_view, std::string_view) override {
        return files_to_choose;
    }
    bool OpenWithDefaultHandler(std::string_view path) override {
        opened.emplace_back(path);
        return true;
    }
    std::vector<std::string> errors, infos, questions, opened, files_to_choose;
    bool answer_yes = true;
};

// An account with its own plugin folder; groups are folders under BBS/.
struct Account {
    Account() {
        dir.Write("acct/account.ini", "[PLUGIN]\r\nDRWA_PLUGIN_FOLDER=" + dir / "plugins" +
                                          "\r\nPERL_EXE=perl\r\nTHREAD_COUNT=3\r\n");
        // A plugin with a header and a settings page of its own.
        dir.Write(
            "plugins/cm_PAGE.PL",
            "#!/usr/bin/perl\r\n# Ver 1.23 (a remark)\r\n# for TestBoard\r\n"
            "# by someone\r\n\r\n#[DIALOG]\r\n#URL=1\r\n#_URL=板のURL\r\n#NAME=1\\n_NAME=お名前\r\n"
            "#L000=L,,見出し\r\n#L001=C,A,チェック\r\n#L002=T,COLOR,色\r\n#[/DIALOG]\r\n"
            "print \"nothing to receive\\n\";\r\n");
        // A plugin without a block that writes its section on "i".
        dir.Write("plugins/cm_QUERY.PL",
                  "# version 2.0（beta） for Query by runner\n"
                  "exit 0 unless ($ARGV[0] // '') eq 'i';\n"
                  "open my $f, '>>', 'drwa_BBS.ini' or die;\n"
                  "print $f \"[DIALOG]\\r\\nKEY=1\\r\\n_KEY=Key from "
                  "i\\r\\nL000=TD,PAGES,Pages\\r\\n\";\n");
    }
    std::string Path() const { return dir / "acct/account.ini"; }
    void AddGroup(const std::string& name, const std::string& settings) {
        dir.Write("acct/BBS/" + name + "/drwa_BBS.ini", settings);
    }
    void List(const std::vector<std::string>& names) {
        std::string ini =
            dir.Read("acct/account.ini") + "GROUP_COUNT=" + std::to_string(names.size()) + "\r\n";
        for (std::size_t i = 0; i < names.size(); ++i) {
            char section[32];
            std::snprintf(section, sizeof section, "[%05zu]\r\n", i + 1);
            ini += section + ("FOLDER_NAME=" + names[i] + "\r\n");
        }
        dir.Write("acct/account.ini", ini);
    }
    std::string Group(const std::string& name) const {
        return dir.Read("acct/BBS/" + name + "/drwa_BBS.ini");
    }
    std::string Read(const std::string& name, std::string_view section,
                     std::string_view key) const {
        return config::IniFile(dir / ("acct/BBS/" + name + "/drwa_BBS.ini"))
            .ReadString(section, key, "<none>");
    }
    TempFolder dir;
    ScriptedUser user;
};

int PluginNamed(const TFormGroup& d, std::string_view name) {
    for (std::size_t i = 0; i < d.ComboBoxPluginName.size(); ++i)
        if (d.ComboBoxPluginName[i].name == name) return static_cast<int>(i);
    return -1;
}

TEST(GroupDialog, RenamingIsOfferedForOnePlainGroupOnly) {
    Account a;
    for (const char* name : {"ONE", "TWO", "ONE/SUB"}) a.AddGroup(name, "[BASIC]\r\nGUID=G\r\n");
    a.List({"ONE", "TWO", "ONE\\SUB"});
    struct Case {
        std::vector<std::int32_t> groups;
        bool rename;
    };
    for (const Case& c : std::vector<Case>{{{0}, true}, {{0, 1}, false}, {{2}, false}}) {
        TFormGroup d(a.Path(), c.groups, a.user);
        d.FormShow();
        EXPECT_EQ(d.RenameEnabled, c.rename) << c.groups.size() << " " << c.groups[0];
        EXPECT_EQ(d.ComboBoxKeijibanName.size(), c.groups.size());
        EXPECT_FALSE(d.NewGroupControlsVisible);
        d.FormClose();
    }
    // The nested group got an identity of its own when it was loaded.
    EXPECT_EQ(a.Read("ONE/SUB", "BASIC", "SUB_DIR"), "1");
    EXPECT_NE(a.Read("ONE/SUB", "BASIC", "GUID"), "G");
    EXPECT_TRUE(a.user.errors.empty());
}

TEST(GroupDialog, NewGroupIsMadeFromTheDialogAndShowsThePluginHeader) {
    Account a;
    TFormGroup d(a.Path(), {}, a.user);
    d.FormShow();
    EXPECT_TRUE(d.NewGroupControlsVisible);
    EXPECT_FALSE(d.PagesVisible);
    EXPECT_FALSE(d.ButtonOKEnabled);
    ASSERT_EQ(d.ComboBoxPluginName.size(), 2u);
    EXPECT_EQ(d.PluginIndex, 0);  // PAGE sorts first
    EXPECT_EQ(d.LabelPluginVersion, "1.23");
    EXPECT_EQ(d.LabelPluginTaiou, "TestBoard");
    EXPECT_EQ(d.LabelPluginSakusya, "someone");

    d.EditKeijibanName = "bad name";
    d.ButtonMakeFolderClick();
    ASSERT_EQ(a.user.errors.size(), 1u);
    EXPECT_EQ(a.user.errors[0], "名前に' '(スペース)は使えません");
    EXPECT_TRUE(d.NewGroupControlsVisible);

    d.EditKeijibanName = "  news ";
    d.ButtonMakeFolderClick();
    EXPECT_EQ(d.EditKeijibanName, "NEWS");
    EXPECT_FALSE(d.NewGroupControlsVisible);
    EXPECT_TRUE(d.PagesVisible && d.ButtonOKEnabled && d.RenameEnabled);
    EXPECT_EQ(a.Read("NEWS", "BASIC", "BBSFOLDER"), "0");
    EXPECT_EQ(a.Read("NEWS", "BASIC", "GUID").size(), 36u);

    d.CheckBoxJunkai = true;
    d.PageControl1Change(GroupPage::kPatrol);
    EXPECT_TRUE(d.PagesLoaded());
    EXPECT_EQ(d.EditJunkai[0].label, "板のURL");
    EXPECT_TRUE(d.EditJunkai[0].enabled);
    EXPECT_EQ(d.EditJunkai[2].label, "お名前");  // NAME, split by the written "\n"
    EXPECT_FALSE(d.EditJunkai[1].enabled);
    EXPECT_EQ(d.EditJunkai[1].label, "");
    ASSERT_EQ(d.FramePropertyEdit1.Editors().size(), 3u);
    EXPECT_EQ(d.ThreadNumberMax, 3);

    d.EditJunkai[0].text = "http://127.0.0.1/board/";
    d.EditJunkai[2].text = "名無し";
    d.FramePropertyEdit1.Editors()[1].Value = "1";
    d.FramePropertyEdit1.Editors()[2].Value = "blue";
    d.ComboBoxCharSet = 1;
    d.CheckBoxHikitugiSubject = false;
    d.TFrameSubjectFrame1.RadioGroup1 = 1;
    d.TFrameSubjectFrame1.SpinEditKeta = 3;
    d.SpinEditThreadNumber = 2;
    d.CheckBoxSaveNumber = true;
    EXPECT_TRUE(d.ButtonOKClick());
    d.FormClose();

    const std::map<std::pair<std::string, std::string>, std::string> expected{
        {{"BASIC", "BBSFOLDER"}, "1"},
        {{"BASIC", "LIB"}, "PAGE"},
        {{"BASIC", "LIB_TYPE"}, "1"},
        {{"BASIC", "URL"}, "http://127.0.0.1/board/"},
        {{"BASIC", "NAME"}, "名無し"},
        {{"BASIC", "CHARSET"}, "EUC"},
        {{"BASIC", "A"}, "1"},
        {{"BASIC", "COLOR"}, "blue"},
        {{"OPTION", "INH_SUB"}, "0"},
        {{"OPTION", "INH_TITLE"}, "1"},
        {{"OPTION", "SUBJECT_INCLUDE_NUMBER"}, "1"},
        {{"OPTION", "SUBJECT_ZERO_NUMBER"}, "3"},
        {{"OPTION", "THREAD_NUMBER"}, "2"},
        {{"OPTION", "SAVE_NUMBER"}, "1"},
        {{"DIALOG", "L001"}, "C,A,チェック"},
    };
    for (const auto& [where, value] : expected)
        EXPECT_EQ(a.Read("NEWS", where.first, where.second), value) << where.second;
    EXPECT_TRUE(a.dir.Exists("acct/BBS/NEWS/sign.ini"));
    EXPECT_TRUE(a.user.questions.empty());
}

TEST(GroupDialog, OkOnTheFirstPageWritesOnlyPluginEnablingAndIdentity) {
    Account a;
    const std::string stored =
        "[BASIC]\r\nURL=http://old/\r\nCHARSET=EUC\r\nLIB=QUERY\r\nLIB_TYPE=1\r\n"
        "TITLE_IS_GROUPNAME=1\r\n[OPTION]\r\nINH_SUB=0\r\nTHREAD_NUMBER=9\r\n";
    a.AddGroup("OLD", stored);
    a.dir.Write("acct/BBS/OLD/sign.ini", "-- \nsig");
    a.List({"OLD"});
    TFormGroup d(a.Path(), {0}, a.user);
    d.FormShow();
    EXPECT_EQ(d.ComboBoxPluginName[d.PluginIndex].name, "QUERY");
    EXPECT_EQ(d.LabelPluginVersion, "2.0");  // cut at the full-width parenthesis
    EXPECT_EQ(d.LabelPluginSakusya, "runner");
    EXPECT_EQ(d.MemoSignature, "-- \nsig");
    d.CheckBoxJunkai = true;
    d.PluginIndex = PluginNamed(d, "PAGE");
    d.ComboBoxPluginNameChange();
    EXPECT_TRUE(d.ButtonOKClick());
    d.FormClose();

    EXPECT_EQ(a.Read("OLD", "BASIC", "LIB"), "PAGE");
    EXPECT_EQ(a.Read("OLD", "BASIC", "BBSFOLDER"), "1");
    EXPECT_EQ(a.Read("OLD", "BASIC", "GUID").size(), 36u);
    EXPECT_EQ(a.Read("OLD", "BASIC", "TITLE_IS_GROUPNAME"), "<none>");
    EXPECT_EQ(a.Read("OLD", "BASIC", "URL"), "http://old/");
    EXPECT_EQ(a.Read("OLD", "BASIC", "CHARSET"), "EUC");
    EXPECT_EQ(a.Read("OLD", "OPTION", "INH_SUB"), "0");
    EXPECT_EQ(a.Read("OLD", "OPTION", "THREAD_NUMBER"), "9");
    EXPECT_EQ(a.Read("OLD", "DIALOG", "URL"), "<none>");
    EXPECT_EQ(a.dir.Read("acct/BBS/OLD/sign.ini"), "-- \nsig");
}

TEST(GroupDialog, AnotherPluginDiscardsPageEditsAndTheNextPageLoadsItsOwn) {
    Account a;
    a.AddGroup("G", "[BASIC]\r\nGUID=X\r\nLIB=PAGE\r\nLIB_TYPE=1\r\nURL=kept\r\n");
    a.List({"G"});
    TFormGroup d(a.Path(), {0}, a.user);
    d.FormShow();
    d.PageControl1Change(GroupPage::kPatrol);
    d.EditJunkai[0].text = "typed but not saved";
    d.PageControl1Change(GroupPage::kBasic);
    d.PluginIndex = PluginNamed(d, "QUERY");
    d.ComboBoxPluginNameChange();
    EXPECT_FALSE(d.PagesLoaded());
    // The plugin has no block: it is run with "i" and writes [DIALOG] itself.
    d.PageControl1Change(GroupPage::kDetail);
    EXPECT_TRUE(d.FocusParameterPage);
    EXPECT_TRUE(a.user.errors.empty()) << a.user.errors.front();
    EXPECT_EQ(d.EditJunkai[0].text, "kept");
    EXPECT_EQ(d.EditJunkai[5].label, "Key from i");
    EXPECT_TRUE(d.EditJunkai[5].enabled);
    ASSERT_FALSE(d.FramePropertyEdit1.Editors().empty());
    EXPECT_EQ(d.FramePropertyEdit1.Editors().back().Key, "PAGES");
    EXPECT_TRUE(d.ButtonOKClick());
    EXPECT_EQ(a.Read("G", "BASIC", "URL"), "kept");
    EXPECT_EQ(a.Read("G", "BASIC", "LIB"), "QUERY");
    EXPECT_EQ(a.Read("G", "BASIC", "PAGES"), "");
}

TEST(GroupDialog, PluginThatKeepsRunningOnItsDialogRunFails) {
    Account a;
    a.dir.Write("plugins/cm_SLOW.PL", "sleep 30;\n");
    a.AddGroup("G", "[BASIC]\r\nGUID=X\r\nLIB=SLOW\r\nLIB_TYPE=1\r\n");
    a.List({"G"});
    TFormGroup d(a.Path(), {0}, a.user);
    d.FormShow();
    d.PageControl1Change(GroupPage::kPatrol);
    ASSERT_EQ(a.user.errors.size(), 1u);
    EXPECT_EQ(a.user.errors[0], "プラグインの起動に失敗しました");
    EXPECT_FALSE(d.PagesLoaded());
}

TEST(GroupDialog, HelpImportAndRename) {
    Account a;
    a.AddGroup("G",
               "[BASIC]\r\nGUID=00000000-0000-0000-0000-000000000001\r\nLIB=PAGE\r\n"
               "LIB_TYPE=1\r\nBBSFOLDER=1\r\n");
    a.List({"G"});
    a.dir.Write("plugins/cm_PAGE.txt", "help");
    a.user.files_to_choose = {DRWA_TEST_DATA "/convert/sjis_board.cm$"};

    a.user.answer_yes = false;
    bool first = true;
    EditGroupProperty(a.Path(), {0}, a.user, [&](TFormGroup& d) {
        d.ButtonPluginHelpClick();
        d.PageControl1Change(GroupPage::kDetail2);
        d.ButtonTorikomiClick();
        d.PluginIndex = PluginNamed(d, "QUERY");
        d.ComboBoxPluginNameChange();
        d.ButtonPluginHelpClick();
        d.EditNameHenko = {"RENAMED", true};
        // Answered No first: the dialog stays open; Yes closes it.
        EXPECT_FALSE(d.ButtonOKClick());
        a.user.answer_yes = true;
        first = false;
        return d.ButtonOKClick();
    });
    EXPECT_FALSE(first);
    ASSERT_EQ(a.user.opened.size(), 1u);
    EXPECT_EQ(a.user.opened[0], a.dir / "plugins/cm_PAGE.txt");
    ASSERT_EQ(a.user.errors.size(), 1u);
    EXPECT_EQ(a.user.errors[0], "プラグインのヘルプと思われるファイルは見あたりません");
    EXPECT_EQ(a.user.infos, std::vector<std::string>{"CMTファイルの取込が完了しました"});
    EXPECT_EQ(drwa::testing::SpoolMails(a.dir).size(), 3u);
    ASSERT_EQ(a.user.questions.size(), 2u);
    EXPECT_EQ(a.user.questions[0], "掲示板名は RENAMED に変更されます\nよろしいですか");
    EXPECT_TRUE(a.dir.Exists("acct/BBS/RENAMED/drwa_BBS.ini"));
    EXPECT_EQ(config::IniFile(a.Path()).ReadString("00001", "FOLDER_NAME", ""), "RENAMED");
    EXPECT_EQ(a.Read("RENAMED", "BASIC", "LIB"), "QUERY");

    // A rename the folder refuses is reported and the group list still rebuilt.
    a.AddGroup("TAKEN", "[BASIC]\r\nGUID=T\r\n");
    EditGroupProperty(a.Path(), {0}, a.user, [&](TFormGroup& d) {
        d.EditNameHenko = {"TAKEN", true};
        return d.ButtonOKClick();
    });
    EXPECT_EQ(a.user.errors.back(), "名前の変更は中止しました\nTAKENへの変更はできませんでした");
    EXPECT_EQ(config::IniFile(a.Path()).ReadInteger("PLUGIN", "GROUP_COUNT", 0), 2);
}

}  // namespace
}  // namespace drwa::dialogs
