// The subject and title panels driven as a user drives them: each action
// shows in the preview and the enabling, and Save writes what was chosen.
#include "dialogs/qt/format_panel_views.h"

#include <gtest/gtest.h>

#include <QTest>
#include <optional>

#include "dialogs/qt/qt_test_support.h"
#include "platform/charset_edge.h"
#include "support/temp_folder.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::RecordingQuestions;
using drwa::testing::TempFolder;
using drwa::testing::TypeText;
using drwa::testing::U;

class FormatPanels : public ::testing::Test {
  protected:
    void SetUp() override {
        EnsureApplication();
        folder.Write("account.ini", "[PLUGIN]\r\n");
        file.emplace(folder / "account.ini");
    }

    template <class W>
    static W* Find(QWidget& panel, const char* name) {
        W* w = panel.findChild<W*>(name);
        EXPECT_TRUE(w) << name;
        return w;
    }
    static void Choose(QWidget& panel, const char* button) {
        // The centre of a wide button is past its short text.
        auto* b = Find<QRadioButton>(panel, button);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(7, b->height() / 2));
    }
    static void Type(QLineEdit* edit, const QString& text) {
        edit->selectAll();
        if (text.isEmpty()) QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    std::string Saved() const { return platform::Cp932ToUtf8(folder.Read("account.ini")); }

    TempFolder folder;
    std::optional<config::IniFile> file;
    RecordingQuestions reports;
};

TEST_F(FormatPanels, SubjectNumberDigitsAndFormat) {
    TFrameSubjectFrame model;
    model.Section = "PLUGIN";
    model.Settings = &*file;
    model.Load();
    SubjectPanelView view(model, "TFrameSubjectFrame1");
    view.SetReports(&reports);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    EXPECT_EQ(view.objectName(), "TFrameSubjectFrame1");
    QLabel* sample = Find<QLabel>(view, "LabelSample");
    QLineEdit* format = Find<QLineEdit>(view, "EditSyoshiki");
    QSpinBox* digits = Find<QSpinBox>(view, "SpinEditKeta");
    EXPECT_EQ(Find<QGroupBox>(view, "RadioGroup1")->title(), U("記事番号"));
    EXPECT_EQ(sample->text(), U("[0000000023]サブジェクト"));
    EXPECT_EQ(digits->minimum(), 1);
    EXPECT_EQ(digits->maximum(), 16);
    auto enabled = [&] {
        const bool all = format->isEnabled();
        for (const char* name : {"LabelSyoshiki", "LabelSampleCaption", "LabelSample"})
            EXPECT_EQ(Find<QWidget>(view, name)->isEnabled(), all) << name;
        EXPECT_EQ(digits->isEnabled(), all);
        return all;
    };
    EXPECT_FALSE(enabled());

    Choose(view, "RadioButton2");  // "つける"
    EXPECT_TRUE(enabled());
    digits->selectAll();
    QTest::keyClicks(digits, "3");
    EXPECT_EQ(sample->text(), U("[023]サブジェクト"));
    Type(format, "$$S");
    EXPECT_EQ(sample->text(), "$$S");
    Type(format, "$N:$S");
    EXPECT_EQ(sample->text(), U("023:サブジェクト"));

    // A character Shift_JIS cannot hold does not get into the format.
    TypeText(format, U("é"));
    EXPECT_EQ(format->text(), "$N:$S");
    EXPECT_EQ(reports.errors.size(), 1u);

    model.Save();
    for (const char* line :
         {"SUBJECT_INCLUDE_NUMBER=1\r\n", "SUBJECT_ZERO_NUMBER=3\r\n", "SUBJECT_FORMAT=$N:$S\r\n"})
        EXPECT_NE(Saved().find(line), std::string::npos) << line << Saved();

    Choose(view, "RadioButton1");  // "つけない"
    EXPECT_FALSE(enabled());
    EXPECT_TRUE(Find<QGroupBox>(view, "RadioGroup1")->isEnabled());
}

TEST_F(FormatPanels, TitleNowhereDisablesOnlyTheFormat) {
    TFrameBBSTitleFrame model;
    model.Section = "PLUGIN";
    model.Settings = &*file;
    model.Load();
    TitlePanelView view(model, "TFrameBBSTitleFrame1");
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));

    QLineEdit* format = Find<QLineEdit>(view, "EditSyoshiki");
    EXPECT_EQ(Find<QLabel>(view, "LabelSample")->text(), U("TQNAVE(10 お試し掲示板B)"));
    EXPECT_TRUE(Find<QRadioButton>(view, "RadioButton2")->isChecked());
    EXPECT_EQ(Find<QRadioButton>(view, "RadioButton4")->text(), U("List-Id:につける"));

    Choose(view, "RadioButton1");
    EXPECT_FALSE(format->isEnabled());
    EXPECT_FALSE(Find<QLabel>(view, "LabelSyoshiki")->isEnabled());
    EXPECT_TRUE(Find<QGroupBox>(view, "RadioGroup1")->isEnabled());
    Choose(view, "RadioButton4");
    EXPECT_TRUE(format->isEnabled());

    Type(format, "");
    model.Save();
    EXPECT_NE(Saved().find("TITLE_INSERT=3\r\nTITLE_FORMAT=\r\n"), std::string::npos) << Saved();
}

}  // namespace
}  // namespace drwa::dialogs::qt
