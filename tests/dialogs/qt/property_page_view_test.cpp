// The plugin's settings page driven as a user drives it, down to the settings
// file the dialog's OK writes.
#include "dialogs/qt/property_page_view.h"
#include "dialogs/property_page_expectations.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QColorDialog>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <fstream>
#include <optional>

#include "dialogs/qt/qt_test_support.h"
#include "platform/charset_edge.h"
#include "support/temp_folder.h"

namespace drwa::dialogs::qt {
namespace {

using drwa::testing::RecordingQuestions;
using drwa::testing::TempFolder;
using drwa::testing::TypeFileName;
using drwa::testing::TypeText;
using drwa::testing::U;
using drwa::testing::WhenModalShows;

class PropertyPage : public ::testing::Test {
  protected:
    void Open(const std::string& utf8_file, QSize size = {420, 400}) {
        EnsureApplication();
        folder.Write("group.ini", platform::Utf8ToCp932(utf8_file));
        file.emplace(folder / "group.ini");
        model.BuildPropertyItems(*file);
        view.emplace(model, "FramePropertyEdit1");
        view->SetReports(&reports);
        view->resize(size);
        view->Rebuild();
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&*view));
    }

    template <class W>
    W* Find(const char* frame, const char* child) {
        auto* f = view->findChild<QFrame*>(frame);
        W* w = f ? f->findChild<W*>(child) : nullptr;
        EXPECT_TRUE(w) << frame << " " << child;
        return w;
    }

    // What OK writes, in UTF-8.
    std::string Saved() {
        model.SaveTo("BASIC", *file);
        return platform::Cp932ToUtf8(folder.Read("group.ini"));
    }

    static void ClickIndicator(QRadioButton* button) {
        // The centre of a wide button is past its short text.
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, button->height() / 2));
    }

    TempFolder folder;
    std::optional<config::IniFile> file;
    TFramePropertyEdit model;
    RecordingQuestions reports;
    std::optional<PropertyPageView> view;
};

TEST_F(PropertyPage, EditorsStackOnAWhitePageWithTheirValues) {
    Open(expected::kItemsOfEveryKind);
    EXPECT_EQ(view->objectName(), "FramePropertyEdit1");
    EXPECT_EQ(view->Page()->palette().color(QPalette::Window), QColor(Qt::white));

    const char* frames[] = {"FrameMidashi1", "FrameCheckBox2", "FrameRadioGroup3",
                            "FrameEdit5",    "FrameEditNum6",  "FrameFolder7",
                            "FrameColor8",   "FrameCheckBox9", "FrameEdit10"};
    int top = 0;
    for (const char* name : frames) {
        auto* frame = view->Page()->findChild<QFrame*>(name, Qt::FindDirectChildrenOnly);
        ASSERT_TRUE(frame) << name;
        EXPECT_EQ(frame->geometry().topLeft(), QPoint(0, top)) << name;
        top += frame->height();
    }

    QRadioButton* first = Find<QRadioButton>("FrameRadioGroup3", "RadioButton1");
    QRadioButton* second = Find<QRadioButton>("FrameRadioGroup3", "RadioButton2");
    EXPECT_EQ(first->geometry(), QRect(20, 2, 360, 17));
    EXPECT_EQ(second->geometry(), QRect(20, 19, 360, 17));
    EXPECT_EQ(view->findChild<QFrame*>("FrameRadioGroup3")->height(), 2 * 17 + 3);
    EXPECT_FALSE(first->isChecked());
    EXPECT_TRUE(second->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("FrameCheckBox2", "CheckBox")->isChecked());

    struct Label {
        const char* frame;
        QString text;
    } labels[] = {
        {"FrameMidashi1", U("掲示板の設定")},
        {"FrameEdit5", U("名前,姓 \"say \"\"hi\"\"\"")},  // the caption keeps its comma
        {"FrameEditNum6", U("件数 \"\"")},                // 12a is no number
        {"FrameFolder7", U("ログ(*.log;*.txt) \"\"")},
        {"FrameColor8", U("背景色 \"563412\"")},
    };
    for (const Label& l : labels) EXPECT_EQ(Find<QLabel>(l.frame, "Label")->text(), l.text);

    // Only a caption longer than 50 bytes, or a label reaching the right edge,
    // repeats itself as hint.
    EXPECT_TRUE(Find<QCheckBox>("FrameCheckBox2", "CheckBox")->toolTip().isEmpty());
    EXPECT_FALSE(Find<QCheckBox>("FrameCheckBox9", "CheckBox")->toolTip().isEmpty());
    EXPECT_TRUE(Find<QLabel>("FrameEdit5", "Label")->toolTip().isEmpty());
    QLabel* memo = Find<QLabel>("FrameEdit10", "Label");
    EXPECT_EQ(memo->toolTip(), memo->text());

    // Nothing touched: OK writes what the page shows.
    const std::string saved = Saved();
    for (const char* line : {"A=0\r\n", "B=2\r\n", "COUNT=\r\n", "COLOUR=563412\r\n", "LONG=0\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
}

TEST_F(PropertyPage, WithoutItemsThePageKeepsTheButtonFace) {
    Open("[DIALOG]\r\nL001=C,A,missing L000\r\n[BASIC]\r\n");
    EXPECT_TRUE(view->Page()->findChildren<QFrame*>().isEmpty());
    EXPECT_EQ(view->Page()->palette().color(QPalette::Window),
              view->palette().color(QPalette::Button));
    EXPECT_TRUE(view->Page()->isVisibleTo(&*view)) << "shown again after building";
}

TEST_F(PropertyPage, TypedValuesAreCommittedOrRefused) {
    Open(expected::kItemsOfEveryKind);
    QLabel* name_label = Find<QLabel>("FrameEdit5", "Label");
    QLineEdit* name = Find<QLineEdit>("FrameEdit5", "Edit");
    EXPECT_FALSE(name->isVisible());
    QTest::mouseClick(name_label, Qt::LeftButton);
    ASSERT_TRUE(name->isVisible());
    EXPECT_FALSE(name_label->isVisible());
    EXPECT_EQ(name->text(), U("say \"hi\""));
    EXPECT_EQ(name->width(), 340);
    TypeText(name, U("鈴木"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_FALSE(name->isVisible());
    EXPECT_EQ(name_label->text(), U("名前,姓 \"鈴木\""));

    // Escape puts the value back; leaving the box commits it.
    QTest::keyClick(name_label, Qt::Key_F2);
    QTest::keyClicks(name, "x");
    QTest::keyClick(name, Qt::Key_Escape);
    EXPECT_EQ(name_label->text(), U("名前,姓 \"鈴木\""));
    QTest::keyClick(name_label, Qt::Key_Return);
    TypeText(name, U("佐藤"));
    Find<QCheckBox>("FrameCheckBox2", "CheckBox")->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(name_label->text(), U("名前,姓 \"佐藤\""));

    // A character Shift_JIS cannot hold is refused, the box left open.
    QTest::mouseClick(name_label, Qt::LeftButton);
    name->insert(U("😀"));
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(name->isVisible());
    ASSERT_EQ(reports.errors.size(), 1u);
    EXPECT_NE(reports.errors[0].find("U+1F600"), std::string::npos) << reports.errors[0];
    QTest::keyClick(name, Qt::Key_Escape);

    // Numbers: letters do not get in; a text that is no number stays open,
    // all selected, and is reported.
    QLabel* count_label = Find<QLabel>("FrameEditNum6", "Label");
    QLineEdit* count = Find<QLineEdit>("FrameEditNum6", "Edit");
    QTest::keyClick(count_label, Qt::Key_F2);
    QTest::keyClicks(count, "1a.5.5");
    EXPECT_EQ(count->text(), "1.5.5");
    QTest::keyClick(count, Qt::Key_Return);
    EXPECT_TRUE(count->isVisible());
    EXPECT_EQ(count->selectedText(), "1.5.5");
    ASSERT_EQ(reports.errors.size(), 2u);
    EXPECT_EQ(reports.errors[1], "'1.5.5' は数値として読めません");
    QTest::keyClicks(count, "-42");
    QTest::keyClick(count, Qt::Key_Return);
    EXPECT_FALSE(count->isVisible());
    EXPECT_EQ(count_label->text(), U("件数 \"-42\""));

    QCheckBox* box = Find<QCheckBox>("FrameCheckBox2", "CheckBox");
    QTest::keyClick(box, Qt::Key_F2);
    EXPECT_TRUE(box->isChecked());
    ClickIndicator(Find<QRadioButton>("FrameRadioGroup3", "RadioButton1"));
    EXPECT_TRUE(Find<QRadioButton>("FrameRadioGroup3", "RadioButton1")->isChecked());

    const std::string saved = Saved();
    for (const char* line : {"A=1\r\n", "B=1\r\n", "NAME=佐藤\r\n", "COUNT=-42\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
}

TEST_F(PropertyPage, ChoosersStoreThePathAndTheWindowsColour) {
    Open(expected::kItemsOfEveryKind);
    const std::string log = folder.native() / "board.log";
    const std::string foreign = folder.native() / "caf\xC3\xA9.log";
    for (const std::string& path : {log, foreign}) std::ofstream(path) << "log";
    QStringList filters;
    WhenModalShows<QFileDialog>([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        TypeFileName(dialog, log);
        static_cast<QDialog&>(dialog).accept();  // public there
    });
    QTest::mouseClick(Find<QWidget>("FrameFolder7", "Button"), Qt::LeftButton);
    EXPECT_EQ(filters, QStringList{U("ログ (*.log *.txt)")});
    EXPECT_EQ(Find<QLabel>("FrameFolder7", "Label")->text(),
              U("ログ(*.log;*.txt) \"") + QString::fromStdString(log) + "\"");

    // A path Shift_JIS cannot write is refused, the value kept.
    WhenModalShows<QFileDialog>([&](QFileDialog& dialog) {
        TypeFileName(dialog, foreign);
        static_cast<QDialog&>(dialog).accept();  // public there
    });
    QTest::keyClick(Find<QLabel>("FrameFolder7", "Label"), Qt::Key_F2);
    EXPECT_EQ(reports.errors.size(), 1u);
    EXPECT_NE(Saved().find("LOG=" + log + "\r\n"), std::string::npos);

    QColor preset;
    WhenModalShows<QColorDialog>([&](QColorDialog& dialog) {
        preset = dialog.currentColor();
        dialog.setCurrentColor(QColor(0xAB, 0xCD, 0xEF));
        static_cast<QDialog&>(dialog).accept();  // public there
    });
    QTest::mouseClick(Find<QLabel>("FrameColor8", "Label"), Qt::LeftButton);
    EXPECT_EQ(preset, QColor(0x12, 0x34, 0x56)) << "563412 holds blue, green, red";
    EXPECT_NE(Saved().find("COLOUR=EFCDAB\r\n"), std::string::npos);
}

TEST_F(PropertyPage, ALongPageScrollsByTheBarsStep) {
    std::string items = "[DIALOG]\r\n";
    for (int i = 0; i < 30; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "L%03d", i);
        items += std::string(key) + "=T,K" + std::to_string(i) + ",caption\r\n";
    }
    Open(items, {420, 200});
    QScrollBar* bar = view->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(view->TextBoxWidth(), 340 - bar->width());

    auto wheel = [&](int delta) {
        const QPointF at(50, 50);
        QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &event);
    };
    wheel(-120);
    EXPECT_EQ(bar->value(), bar->singleStep());
    for (int i = 0; i < 1000; ++i) wheel(-120);
    EXPECT_EQ(bar->value(), bar->maximum());
    wheel(120);
    EXPECT_EQ(bar->value(), bar->maximum() - bar->singleStep());
}

}  // namespace
}  // namespace drwa::dialogs::qt
