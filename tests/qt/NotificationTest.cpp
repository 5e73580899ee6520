#include "QtFixture.h"
#include "TestTemplates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QSlider>

namespace kelvane::ui::test {
namespace {

using Notifications = FormFixture;

TEST_F(Notifications, EditTextSetByTheProgramIsReportedAsTheProgramsEveryTime) {
    form->SetText(kEdit, "474000");
    form->SetText(kEdit, "474000");
    const auto changes = handler.Of(kEdit, Event::TextChanged);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_TRUE(changes[0].byProgram);
    EXPECT_TRUE(changes[1].byProgram);
    EXPECT_EQ(handler.notifications.size(), 2u);
    EXPECT_EQ(form->Text(kEdit), "474000");
}

TEST_F(Notifications, TypingIntoAnEditIsReportedAsTheOperators) {
    form->SetText(kEdit, "47");
    handler.notifications.clear();
    QTest::keyClicks(form->ControlWidget(kEdit), "40");
    const auto changes = handler.Of(kEdit, Event::TextChanged);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FALSE(changes[0].byProgram);
    EXPECT_FALSE(changes[1].byProgram);
    EXPECT_EQ(form->Text(kEdit), "4740");
}

TEST_F(Notifications, MultiLineEditReportsLikeAnEditAndKeepsCarriageReturns) {
    form->SetText(kMemo, "Slot 0 : KXR100\r\n  No configuration required\r\n");
    ASSERT_EQ(handler.Of(kMemo, Event::TextChanged).size(), 1u);
    EXPECT_TRUE(handler.Of(kMemo, Event::TextChanged)[0].byProgram);
    EXPECT_EQ(form->Text(kMemo), "Slot 0 : KXR100\r\n  No configuration required\r\n");

    handler.notifications.clear();
    QTest::keyClicks(form->ControlWidget(kMemo), "x");
    ASSERT_EQ(handler.Of(kMemo, Event::TextChanged).size(), 1u);
    EXPECT_FALSE(handler.Of(kMemo, Event::TextChanged)[0].byProgram);
}

TEST_F(Notifications, WhatTheProgramSetsOnOtherControlsIsNotReported) {
    form->AddItem(kCombo, "256-QAM");
    form->SetCurrentIndex(kCombo, 1);
    form->SetCurrentIndex(kListBox, 2);
    form->SetChecked(kCheck, true);
    form->SetRange(kSlider, 1, 30);
    form->SetPosition(kSlider, 12);
    form->SetPosition(kProgress, 50);
    form->SetTimeOfDay(kTime, 570);
    form->SetText(kLabel, "Freq. :");
    form->ShowControl(kEdit, false);
    form->SetTextLimit(kEdit, 2);
    EXPECT_TRUE(handler.notifications.empty());
    EXPECT_EQ(form->CurrentIndex(kCombo), 1);
    EXPECT_EQ(form->CurrentIndex(kListBox), 2);
    EXPECT_TRUE(form->IsChecked(kCheck));
    EXPECT_EQ(form->Position(kSlider), 12);
    EXPECT_EQ(form->Position(kProgress), 50);
    EXPECT_EQ(form->TimeOfDay(kTime), 570);
    EXPECT_EQ(form->Text(kLabel), "Freq. :");
}

TEST_F(Notifications, ComboBoxStartsWithNothingChosenAndReportsTheOperatorsChoice) {
    EXPECT_EQ(form->CurrentIndex(kCombo), -1);
    form->AddItem(kCombo, "256-QAM");
    EXPECT_EQ(form->CurrentIndex(kCombo), -1) << "adding entries chooses none";
    EXPECT_EQ(form->ItemCount(kCombo), 4);
    EXPECT_EQ(form->ItemText(kCombo, 3), "256-QAM");

    form->SetCurrentIndex(kCombo, 1);
    QTest::keyClick(form->ControlWidget(kCombo), Qt::Key_Down);
    ASSERT_EQ(handler.Of(kCombo, Event::SelectionChanged).size(), 1u);
    EXPECT_FALSE(handler.Of(kCombo, Event::SelectionChanged)[0].byProgram);
    EXPECT_EQ(form->CurrentIndex(kCombo), 2);
    EXPECT_EQ(form->Text(kCombo), "64-QAM");

    form->DeleteItem(kCombo, 2);
    EXPECT_EQ(form->CurrentIndex(kCombo), -1) << "the chosen entry went";
    form->SetCurrentIndex(kCombo, 7);
    EXPECT_EQ(form->CurrentIndex(kCombo), -1);
    form->ClearItems(kCombo);
    EXPECT_EQ(form->ItemCount(kCombo), 0);
}

TEST_F(Notifications, ButtonAndCheckBoxReportClicks) {
    QTest::mouseClick(form->ControlWidget(kButton), Qt::LeftButton);
    EXPECT_EQ(handler.Of(kButton, Event::Clicked).size(), 1u);

    QTest::mouseClick(form->ControlWidget(kCheck), Qt::LeftButton);
    EXPECT_EQ(handler.Of(kCheck, Event::Clicked).size(), 1u);
    EXPECT_TRUE(form->IsChecked(kCheck));
}

TEST_F(Notifications, TrackBarReportsDragsAsMovesAndTheirEndAndKeysAsFinalPositions) {
    form->SetRange(kSlider, 1, 30);
    form->SetPosition(kSlider, 10);
    auto* slider = static_cast<QSlider*>(form->ControlWidget(kSlider));

    QTest::keyClick(slider, Qt::Key_Right);
    ASSERT_EQ(handler.Of(kSlider, Event::SliderReleased).size(), 1u);
    EXPECT_TRUE(handler.Of(kSlider, Event::SliderMoved).empty());
    EXPECT_EQ(form->Position(kSlider), 11);

    handler.notifications.clear();
    slider->setSliderDown(true);
    slider->setSliderPosition(14);
    slider->setSliderPosition(15);
    slider->setSliderDown(false);
    EXPECT_EQ(handler.Of(kSlider, Event::SliderMoved).size(), 2u);
    ASSERT_EQ(handler.Of(kSlider, Event::SliderReleased).size(), 1u);
    EXPECT_EQ(handler.notifications.back().event, Event::SliderReleased) << "the end of the drag comes last";
    EXPECT_EQ(form->Position(kSlider), 15);
}

TEST_F(Notifications, TimePickerReportsTheOperatorsChange) {
    form->SetTimeOfDay(kTime, 9 * 60 + 30);
    QTest::keyClick(form->ControlWidget(kTime), Qt::Key_Up);
    ASSERT_FALSE(handler.Of(kTime, Event::TimeChanged).empty());
    EXPECT_FALSE(handler.Of(kTime, Event::TimeChanged)[0].byProgram);
    EXPECT_EQ(form->TimeOfDay(kTime), 10 * 60 + 30) << "the hours are under the cursor at first";
    EXPECT_EQ(form->Text(kTime), "10:30");
}

TEST_F(Notifications, PictureReportsClicksOnlyWhenItsTemplateAsks) {
    QTest::mouseClick(form->ControlWidget(kPicture), Qt::LeftButton);
    QTest::mouseClick(form->ControlWidget(kLabel), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !handler.Of(kPicture, Event::Clicked).empty(); }));
    EXPECT_EQ(handler.Of(kPicture, Event::Clicked)[0].row, -1);
    EXPECT_TRUE(handler.Of(kLabel, Event::Clicked).empty());
}

class FocusNotifications : public Notifications {
protected:
    void SetUp() override {
        Notifications::SetUp();
        ShowActive(*form);
        handler.notifications.clear();
    }
};

TEST_F(FocusNotifications, SetFocusReportsTheFocusMovingFromControlToControl) {
    form->SetFocus(kCheck);
    handler.notifications.clear();
    form->SetFocus(kEdit);
    form->SetFocus(kMemo);
    const std::vector<std::pair<int, Event>> expected = {{kCheck, Event::FocusLost},
                                                         {kEdit, Event::FocusGained},
                                                         {kEdit, Event::FocusLost},
                                                         {kMemo, Event::FocusGained}};
    ASSERT_EQ(handler.notifications.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(handler.notifications[i].control, expected[i].first) << i;
        EXPECT_EQ(handler.notifications[i].event, expected[i].second) << i;
        EXPECT_FALSE(handler.notifications[i].byProgram) << i;
    }
    EXPECT_EQ(form->FocusedControl(), kMemo);

    form->SetFocus(kMemo);
    EXPECT_EQ(handler.notifications.size(), expected.size()) << "no move, no report";
}

TEST_F(FocusNotifications, OperatorMovingTheFocusIsReportedPerControl) {
    form->SetFocus(kEdit);
    handler.notifications.clear();
    QTest::keyClick(form->ControlWidget(kEdit), Qt::Key_Tab);
    ASSERT_EQ(handler.notifications.size(), 2u);
    EXPECT_EQ(handler.notifications[0].control, kEdit);
    EXPECT_EQ(handler.notifications[0].event, Event::FocusLost);
    EXPECT_EQ(handler.notifications[1].control, kPassword);
    EXPECT_EQ(handler.notifications[1].event, Event::FocusGained);
    EXPECT_EQ(form->FocusedControl(), kPassword);
}

TEST_F(FocusNotifications, TimePickerGainsTheFocusAsOneControl) {
    form->SetFocus(kEdit);
    handler.notifications.clear();
    form->ControlWidget(kTime)->setFocus(Qt::MouseFocusReason);
    ASSERT_EQ(handler.Of(kTime, Event::FocusGained).size(), 1u);
    EXPECT_EQ(form->FocusedControl(), kTime);
}

TEST_F(FocusNotifications, HidingTheFocusedControlReportsNothing) {
    form->SetFocus(kEdit);
    handler.notifications.clear();
    form->ShowControl(kEdit, false);
    EXPECT_TRUE(handler.notifications.empty());
}

}  // namespace
}  // namespace kelvane::ui::test
