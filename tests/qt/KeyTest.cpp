#include "QtFixture.h"
#include "TestTemplates.h"

namespace kelvane::ui::test {
namespace {

class Keys : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        form->Show(true);
    }
};

TEST_F(Keys, EnterAndEscapeReachOkAndCancelAndTheDialogStaysOpen) {
    QTest::keyClick(form->ControlWidget(kEdit), Qt::Key_Return);
    QTest::keyClick(form->ControlWidget(kEdit), Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(form->ControlWidget(kEdit), Qt::Key_Escape);
    EXPECT_EQ(handler.oks, 2);
    EXPECT_EQ(handler.cancels, 1);
    EXPECT_TRUE(form->IsShown());
    EXPECT_TRUE(form->Widget()->isVisible());
}

TEST_F(Keys, EveryKindOfControlPassesEnterAndEscapeToTheDialog) {
    for (const int control : {kMemo, kCombo, kListBox, kCheck, kSlider, kTime, kIcons, kReportList}) {
        QTest::keyClick(form->ControlWidget(control), Qt::Key_Return);
        QTest::keyClick(form->ControlWidget(control), Qt::Key_Escape);
    }
    EXPECT_EQ(handler.oks, 8);
    EXPECT_EQ(handler.cancels, 8);
    EXPECT_EQ(form->Text(kMemo), "") << "Enter is not a new line";
    EXPECT_TRUE(handler.Of(kCheck, Event::Clicked).empty()) << "Enter does not tick a check box";
}

TEST_F(Keys, EnterPressesThePushButtonThatHasTheFocusAndEscapeStillCancels) {
    QTest::keyClick(form->ControlWidget(kButton), Qt::Key_Return);
    EXPECT_EQ(handler.Of(kButton, Event::Clicked).size(), 1u);
    EXPECT_EQ(handler.oks, 0) << "the focused button stands in for the dialog's OK";
    QTest::keyClick(form->ControlWidget(kButton), Qt::Key_Escape);
    EXPECT_EQ(handler.cancels, 1);
    EXPECT_EQ(handler.Of(kButton, Event::Clicked).size(), 1u);
}

TEST_F(Keys, KeysInAPanelGoToThePanelNotToItsParent) {
    RecordingHandler panelHandler;
    auto panel = Make(PanelTemplate(), panelHandler, form.get());
    panel->Show(true);
    QTest::keyClick(panel->ControlWidget(kEdit), Qt::Key_Return);
    QTest::keyClick(panel->ControlWidget(kEdit), Qt::Key_Escape);
    EXPECT_EQ(panelHandler.oks, 1);
    EXPECT_EQ(panelHandler.cancels, 1);
    EXPECT_EQ(handler.oks, 0);
    EXPECT_EQ(handler.cancels, 0);
}

TEST_F(Keys, OtherKeysReachTheControl) {
    QTest::keyClick(form->ControlWidget(kEdit), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClicks(form->ControlWidget(kEdit), "12");
    EXPECT_EQ(handler.oks, 0);
    EXPECT_EQ(form->Text(kEdit), "12");
}

TEST_F(Keys, CloseBoxAsksTheHandlerAndTheWindowStays) {
    EXPECT_FALSE(form->Widget()->close());
    EXPECT_EQ(handler.closes, 1);
    EXPECT_TRUE(form->IsShown());
    EXPECT_TRUE(form->Widget()->isVisible());
}

}  // namespace
}  // namespace kelvane::ui::test
