#include "widgets/Info.h"

#include "res/ResourceIds.h"
#include "res/Templates.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

class InfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent = windows.CreateDialog(res::MainDialogTemplate(), parentHandler, nullptr);
        info.Create(*parent);
        info.InitInfoFont();
        window = windows.Find(res::kInfoDialog);
        ASSERT_NE(window, nullptr);
    }

    std::string Shown() const { return window->Text(res::kInfoText); }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    ui::DialogHandler parentHandler;
    std::unique_ptr<ui::Dialog> parent;
    CInfo info{windows};
    ui::HeadlessDialog* window = nullptr;
};

TEST_F(InfoTest, StartsHiddenAndEmptyWithItsFontAndColours) {
    EXPECT_FALSE(window->IsShown());
    EXPECT_FALSE(info.Shown());
    EXPECT_EQ(Shown(), "");
    EXPECT_EQ(window->Parent(), windows.Find(res::kMainDialog));
    EXPECT_FALSE(window->IsControlShown(res::kInfoProgress));
    EXPECT_TRUE(window->ControlState(res::kInfoText).readOnly);
    EXPECT_STREQ(window->ControlState(res::kInfoText).font.face, "Arial");
    EXPECT_EQ(window->ControlState(res::kInfoText).font.pixelHeight, 18);
    EXPECT_EQ(window->ControlState(res::kInfoText).colors.text, (ui::Color{96, 96, 96}));
}

TEST_F(InfoTest, MessageShowsAtOnceAndIsBlankedWhenItExpires) {
    info.ShowInfo("Searching...", false, 10000);
    EXPECT_TRUE(window->IsShown());
    EXPECT_TRUE(info.Shown());
    EXPECT_EQ(Shown(), "Searching...");
    EXPECT_GT(window->Repaints(), 0);

    windows.RunFor(9999);
    EXPECT_EQ(Shown(), "Searching...");
    windows.RunFor(1);
    EXPECT_EQ(Shown(), "");
    // An empty box would cover what lies beneath it (a panel's service list): the area goes, and the expiry
    // does not repeat.
    EXPECT_FALSE(window->IsShown());
    EXPECT_TRUE(info.Shown());
    EXPECT_FALSE(windows.TimerActive(*window, CInfo::kExpiryTimer));
    info.ShowInfo("again", false, 1000);
    EXPECT_TRUE(window->IsShown());
}

TEST_F(InfoTest, ProgressBarKeepsTheAreaShownUntilItIsHidden) {
    info.ShowInfo("Updating...", false, 100);
    info.SetInfoProgress(40, 3);
    windows.RunFor(CInfo::ReadingTimeMs("Updating..."));
    EXPECT_EQ(Shown(), "");
    EXPECT_TRUE(window->IsShown());
    info.SetInfoProgress(0, 0);
    EXPECT_FALSE(window->IsShown());
}

TEST_F(InfoTest, SecondMessageReplacesTheFirstAndRestartsTheTimer) {
    info.ShowInfo("first", false, 1000);
    windows.RunFor(600);
    info.ShowInfo("second", false, 2000);
    windows.RunFor(1000);  // past the first message's end
    EXPECT_EQ(Shown(), "second");
    windows.RunFor(999);
    EXPECT_EQ(Shown(), "second");
    windows.RunFor(1);
    EXPECT_EQ(Shown(), "");
    EXPECT_FALSE(windows.TimerActive(*window, CInfo::kExpiryTimer));
}

TEST_F(InfoTest, EmptyTextForOneMillisecondClearsAtOnceAndStillCountsAsShown) {
    info.ShowInfo("", false, 1);
    EXPECT_TRUE(info.Shown());
    EXPECT_FALSE(window->IsShown());
    windows.RunFor(1);
    EXPECT_EQ(Shown(), "");
    EXPECT_FALSE(windows.TimerActive(*window, CInfo::kExpiryTimer));
}

TEST_F(InfoTest, WaitBlocksTheCallerForTheDurationAndTheTextStaysUntilItCouldBeRead) {
    const std::uint64_t before = clock.TickCount();
    info.ShowInfo("Hardware not found...", true, 1000);
    EXPECT_EQ(clock.TickCount() - before, 1000u);
    windows.RunDueTimers();
    EXPECT_EQ(Shown(), "Hardware not found...");
    windows.RunFor(CInfo::ReadingTimeMs("Hardware not found...") - 1000);
    EXPECT_EQ(Shown(), "");
}

TEST_F(InfoTest, EveryMessageStaysLongEnoughToReadUnlessAnotherReplacesIt) {
    const std::string found = "Rack found on rfc2217:tx-site-3:2001";
    const std::uint32_t reading = CInfo::ReadingTimeMs(found);
    EXPECT_GT(reading, 3000u);
    EXPECT_GT(CInfo::ReadingTimeMs(found + found), reading);
    // A short duration and a request to clear do not cut it short.
    info.ShowInfo(found, false, 500);
    windows.RunFor(100);
    info.ShowInfo("", false, 1);
    windows.RunFor(reading - 101);
    EXPECT_EQ(Shown(), found);
    windows.RunFor(1);
    EXPECT_EQ(Shown(), "");
    // A lasting message goes only when another message comes.
    info.ShowLasting("Sent to KXD410, row 3, at 14:03:07.");
    windows.RunFor(600000);
    info.ShowInfo("", false, 1);
    windows.RunFor(1000);
    EXPECT_EQ(Shown(), "Sent to KXD410, row 3, at 14:03:07.");
    info.ShowInfo("next", false, 1);
    EXPECT_EQ(Shown(), "next");
    windows.RunFor(CInfo::ReadingTimeMs("next"));
    EXPECT_EQ(Shown(), "");
}

TEST_F(InfoTest, ProgressBarRules) {
    info.SetInfoProgress(40, 3);
    EXPECT_TRUE(window->IsControlShown(res::kInfoProgress));
    EXPECT_EQ(window->ControlState(res::kInfoProgress).maximum, 40);
    EXPECT_EQ(window->Position(res::kInfoProgress), 3);

    // Same range: only the position moves, the bar is not shown again.
    window->ShowControl(res::kInfoProgress, false);
    info.SetInfoProgress(40, 7);
    EXPECT_FALSE(window->IsControlShown(res::kInfoProgress));
    EXPECT_EQ(window->Position(res::kInfoProgress), 7);

    info.SetInfoProgress(0, 0);
    EXPECT_FALSE(window->IsControlShown(res::kInfoProgress));
    // After a hidden bar the same range counts as new again.
    info.SetInfoProgress(40, 1);
    EXPECT_TRUE(window->IsControlShown(res::kInfoProgress));
    EXPECT_EQ(window->Position(res::kInfoProgress), 1);
}

TEST_F(InfoTest, OperatorCannotEditTheMessage) {
    const auto& edit = window->ControlState(res::kInfoText);
    EXPECT_TRUE(edit.readOnly);
    EXPECT_NE(edit.source.style & ui::kNoCaret, 0u);
}

}  // namespace
}  // namespace kelvane
