#include "QtFixture.h"
#include "TestTemplates.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>

namespace kelvane::ui::test {
namespace {

class ControlState : public QtFixture {
protected:
    void SetUp() override {
        DialogTemplate t = FormTemplate();
        t.controls.push_back(
            {kDigits, ControlKind::Edit, {0, 0, 40, 12}, "", kVisible | kBorder | kNumbersOnly, {}, 0});
        form = Make(t, handler);
    }

    static constexpr int kDigits = 90;
    RecordingHandler handler;
    std::unique_ptr<QtDialog> form;
};

// The message area keeps a long saved path's start and file name on its two lines; the program still has it all.
TEST_F(ControlState, MessageAreaElidesALongPathInTheMiddle) {
    auto info = Make(res::InfoDialogTemplate(), handler);
    info->SetFont(res::kInfoText, {"Arial", 18, 400});
    const std::string message =
        "Configuration saved into /home/operator/installations/site-nord/rack-2/"
        "configurations/archive/2026/december/after-the-retune-of-the-second-rack/"
        "with-the-new-multiplex-of-the-regional-channels/rack-site-nord-after-retune.kcf";
    info->SetText(res::kInfoText, message);
    EXPECT_EQ(info->Text(res::kInfoText), message);
    auto* edit = static_cast<QPlainTextEdit*>(info->ControlWidget(res::kInfoText));
    const QString shown = edit->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Configuration saved into"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("after-retune.kcf"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    int lines = 0;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next()) {
        lines += block.layout()->lineCount();
    }
    EXPECT_LE(lines, 2);
    info->SetText(res::kInfoText, "Searching...");
    EXPECT_EQ(edit->toPlainText(), QStringLiteral("Searching...")) << "a short text stays whole";
}

TEST_F(ControlState, ReadOnlyEditRefusesTypingAndTakesTheWindowsGround) {
    form->SetText(kEdit, "474000");
    form->SetReadOnly(kEdit, true);
    QTest::keyClicks(form->ControlWidget(kEdit), "9");
    EXPECT_EQ(form->Text(kEdit), "474000");
    const QPalette palette = form->ControlWidget(kEdit)->palette();
    EXPECT_EQ(palette.color(QPalette::Base), palette.color(QPalette::Window));

    form->SetReadOnly(kEdit, false);
    QTest::keyClicks(form->ControlWidget(kEdit), "9");
    EXPECT_EQ(form->Text(kEdit), "4740009");
    EXPECT_NE(form->ControlWidget(kEdit)->palette().color(QPalette::Base), palette.color(QPalette::Window));
}

TEST_F(ControlState, TextLimitStopsTheOperatorNotTheProgram) {
    form->SetTextLimit(kEdit, 3);
    QTest::keyClicks(form->ControlWidget(kEdit), "12345");
    EXPECT_EQ(form->Text(kEdit), "123");

    form->SetTextLimit(kMemo, 4);
    QTest::keyClicks(form->ControlWidget(kMemo), "abcdef");
    EXPECT_EQ(form->Text(kMemo), "abcd");
    form->SetText(kMemo, "a longer text");
    EXPECT_EQ(form->Text(kMemo), "a longer text");
}

TEST_F(ControlState, PasswordEditHidesItsTextButKeepsIt) {
    form->SetText(kPassword, "1234");
    form->SetPassword(kPassword, true);
    const auto* field = static_cast<QLineEdit*>(form->ControlWidget(kPassword));
    EXPECT_NE(field->displayText(), QStringLiteral("1234"));
    EXPECT_EQ(form->Text(kPassword), "1234");
    form->SetPassword(kPassword, false);
    EXPECT_EQ(field->displayText(), QStringLiteral("1234"));
}

TEST_F(ControlState, NumbersOnlyEditTakesOnlyDigitsFromTheOperator) {
    QTest::keyClicks(form->ControlWidget(kDigits), "a1-b2");
    EXPECT_EQ(form->Text(kDigits), "12");
}

TEST_F(ControlState, TransparentCaptionShowsWhatLiesBehindIt) {
    ControlColors colors;
    colors.text = {96, 96, 96};
    colors.hasText = true;
    colors.transparent = true;
    form->SetColors(kLabel, colors);
    const QWidget* label = form->ControlWidget(kLabel);
    EXPECT_FALSE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(96, 96, 96));

    colors.transparent = false;
    colors.background = {0, 0, 0};
    colors.hasBackground = true;
    form->SetColors(kLabel, colors);
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_EQ(label->palette().color(QPalette::Window), QColor(0, 0, 0));
}

}  // namespace
}  // namespace kelvane::ui::test
