// The subject and board-title panels on real settings files: what they load,
// what they enable, the live previews, and what Save leaves for the mail
// composer to read.
#include "dialogs/format_panels.h"

#include <gtest/gtest.h>

#include <string>

#include "common/error.h"
#include "support/temp_folder.h"

namespace drwa::dialogs {
namespace {

using drwa::testing::TempFolder;

template <typename Step>
void ExpectNoSection(Step step) {
    try {
        step();
        ADD_FAILURE() << "no section was accepted";
    } catch (const Error& e) {
        EXPECT_EQ(e.what(), kNoSectionMessage);
    }
}

TEST(FormatPanels, RefuseToWorkWithoutASection) {
    TempFolder dir;
    config::IniFile ini(dir / "a.ini");
    TFrameSubjectFrame subject;
    subject.Settings = &ini;
    ExpectNoSection([&] { subject.Load(); });
    ExpectNoSection([&] { subject.Save(); });
    TFrameBBSTitleFrame title;
    title.Settings = &ini;
    ExpectNoSection([&] { title.Load(); });
    ExpectNoSection([&] { title.Save(); });
    EXPECT_FALSE(dir.Exists("a.ini"));
}

TEST(SubjectPanel, EnablingAndPreview) {
    TFrameSubjectFrame p;
    p.Section = "PLUGIN";
    p.Load();  // no file: the initial controls
    EXPECT_FALSE(p.FormatEnabled);
    EXPECT_EQ(p.LabelSample, "[0000000023]サブジェクト");
    p.RadioGroup1 = 1;
    p.RadioGroup1Click();
    EXPECT_TRUE(p.FormatEnabled);
    p.SpinEditKeta = 3;
    p.SpinEditKetaChange();
    EXPECT_EQ(p.LabelSample, "[023]サブジェクト");
    p.EditSyoshiki = "$$S:$S";
    p.EditSyoshikiChange();
    EXPECT_EQ(p.LabelSample, "$$S:サブジェクト");
    p.RadioGroup1 = 0;
    p.RadioGroup1Click();
    EXPECT_FALSE(p.FormatEnabled);
}

struct SubjectCase {
    const char* stored;  // the [OPTION] lines
    int radio;
    int digits;
    const char* format;
    const char* format_saved;  // after Save with the loaded format
};

TEST(SubjectPanel, LoadsWhatMailsUseAndSavesItBack) {
    const SubjectCase cases[] = {
        {"", 0, 10, "[$N]$S", "[$N]$S"},
        {"SUBJECT_INCLUDE_NUMBER=1\r\nSUBJECT_ZERO_NUMBER=4\r\nSUBJECT_FORMAT=$S #$N\r\n", 1, 4,
         "$S #$N", "$S #$N"},
        // Mails get the number for any value but 0; digits stay in the spin range.
        {"SUBJECT_INCLUDE_NUMBER=5\r\nSUBJECT_ZERO_NUMBER=99\r\n", 1, 16, "[$N]$S", "[$N]$S"},
        {"SUBJECT_INCLUDE_NUMBER=x\r\nSUBJECT_ZERO_NUMBER=0\r\n", 0, 1, "[$N]$S", "[$N]$S"},
        // A blank format is stored as the default.
        {"SUBJECT_FORMAT=\r\n", 0, 10, "", "[$N]$S"},
        {"SUBJECT_FORMAT=\" \"\r\n", 0, 10, " ", "[$N]$S"},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("g.ini", std::string("[OPTION]\r\n") + c.stored);
        config::IniFile ini(dir / "g.ini");
        TFrameSubjectFrame p;
        p.Section = "OPTION";
        p.Settings = &ini;
        p.Load();
        EXPECT_EQ(p.RadioGroup1, c.radio) << c.stored;
        EXPECT_EQ(p.SpinEditKeta, c.digits) << c.stored;
        EXPECT_EQ(p.EditSyoshiki, c.format) << c.stored;
        EXPECT_EQ(p.FormatEnabled, c.radio == 1) << c.stored;
        p.Save();
        EXPECT_EQ(ini.ReadInteger("OPTION", "SUBJECT_INCLUDE_NUMBER", -1), c.radio) << c.stored;
        EXPECT_EQ(ini.ReadInteger("OPTION", "SUBJECT_ZERO_NUMBER", -1), c.digits) << c.stored;
        EXPECT_EQ(ini.ReadString("OPTION", "SUBJECT_FORMAT", "(none)"), c.format_saved) << c.stored;
    }
}

TEST(TitlePanel, EnablingAndPreview) {
    TFrameBBSTitleFrame p;
    p.Section = "PLUGIN";
    p.Load();
    EXPECT_TRUE(p.FormatEnabled);
    EXPECT_EQ(p.LabelSample, "TQNAVE(10 お試し掲示板B)");
    p.RadioGroup1 = 0;
    p.RadioGroup1Click();
    EXPECT_FALSE(p.FormatEnabled);
    p.EditSyoshiki = "$$G $T";
    p.EditSyoshikiChange();
    EXPECT_EQ(p.LabelSample, "$$G 10 お試し掲示板B");
}

struct TitleCase {
    const char* stored;
    int radio;
    const char* format;
};

TEST(TitlePanel, LoadsWhatMailsUseAndSavesItBack) {
    const TitleCase cases[] = {
        {"", 1, "$G($T)"},
        {"TITLE_INSERT=2\r\nTITLE_FORMAT=[$G]\r\n", 2, "[$G]"},
        // Mails put any value past the last item (or below 0) into List-Id.
        {"TITLE_INSERT=7\r\n", 3, "$G($T)"},
        {"TITLE_INSERT=-1\r\n", 3, "$G($T)"},
        // An empty format stays empty.
        {"TITLE_INSERT=0\r\nTITLE_FORMAT=\r\n", 0, ""},
    };
    for (const auto& c : cases) {
        TempFolder dir;
        dir.Write("a.ini", std::string("[PLUGIN]\r\n") + c.stored);
        config::IniFile ini(dir / "a.ini");
        TFrameBBSTitleFrame p;
        p.Section = "PLUGIN";
        p.Settings = &ini;
        p.Load();
        EXPECT_EQ(p.RadioGroup1, c.radio) << c.stored;
        EXPECT_EQ(p.EditSyoshiki, c.format) << c.stored;
        EXPECT_EQ(p.FormatEnabled, c.radio != 0) << c.stored;
        p.Save();
        EXPECT_EQ(ini.ReadInteger("PLUGIN", "TITLE_INSERT", -9), c.radio) << c.stored;
        EXPECT_EQ(ini.ReadString("PLUGIN", "TITLE_FORMAT", "(none)"), c.format) << c.stored;
    }
}

}  // namespace
}  // namespace drwa::dialogs
