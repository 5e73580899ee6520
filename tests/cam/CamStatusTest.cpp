// The CAM menu's timer: opening and leaving, the CAM's status and traffic light, the main-menu deadlines and the
// two-second hold, on the virtual clock.

#include "tests/cam/CamPanelFixture.h"

namespace kelvane::test {
namespace {

using CamStatus = CamPanelFixture;

TEST_F(CamStatus, OpeningConnectsAndPollsEveryTenMilliseconds) {
    Open();
    EXPECT_EQ(Message(), "Connecting to common interface");
    EXPECT_EQ(MessageExpiresIn(), 10000u);
    EXPECT_TRUE(Panel().IsShown());
    EXPECT_EQ(cam.CamStatus(), -1);
    EXPECT_EQ(cam.CamModule(), &slotTable[2]);
    EXPECT_EQ(windows.TimerDue(Panel(), COpenCam::kPollTimer), clock.TickCount() + 10);
    windows.RunFor(200);
    // Each tick is a status request and a read, and the timer starts again after them.
    EXPECT_GE(module.statusPolls, 5u);
    EXPECT_EQ(module.reads, module.statusPolls);
    EXPECT_TRUE(windows.TimerActive(Panel(), COpenCam::kPollTimer));
}

TEST_F(CamStatus, ReadyCamIsAskedForItsMenuOnceTheSecondHasChanged) {
    const std::time_t opened = Now();
    Open();
    windows.RunFor(20);
    EXPECT_EQ(cam.CamStatus(), 1);
    EXPECT_EQ(Light(), res::kAmberLampBitmap);
    EXPECT_EQ(cam.MenuDeadline(), opened);
    ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 2500));
    EXPECT_EQ(module.sent[0].packet, kEnterMenu);
    EXPECT_EQ(module.sent[0].second, opened + 1);
    EXPECT_EQ(Message(), "Ask for main menu");
}

TEST_F(CamStatus, NoCamShowsRedAndAsksForNothing) {
    module.status = 0;
    Open();
    windows.RunFor(5000);
    EXPECT_EQ(cam.CamStatus(), 0);
    EXPECT_EQ(Light(), res::kRedLampBitmap);
    EXPECT_EQ(cam.MenuDeadline(), 0);
    EXPECT_TRUE(module.sent.empty());
    // Escape on an empty slot has no main menu to come back to.
    Panel().PressEscape();
    windows.RunFor(5000);
    EXPECT_TRUE(module.sent.empty());
}

TEST_F(CamStatus, InsertedCamGetsFifteenSecondsBeforeTheMainMenuIsAskedFor) {
    module.status = 0;
    Open();
    windows.RunFor(1500);
    module.status = 1;
    windows.RunFor(20);
    const std::time_t inserted = Now();
    EXPECT_EQ(Message(), "CAM initing. Wait...");
    EXPECT_GT(*MessageExpiresIn(), 14900u);
    EXPECT_EQ(cam.MenuDeadline(), inserted + 15);
    EXPECT_EQ(Light(), res::kAmberLampBitmap);
    ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 17000));
    EXPECT_EQ(module.sent[0].packet, kEnterMenu);
    EXPECT_GE(module.sent[0].second, inserted + 15);
    EXPECT_LE(module.sent[0].second, inserted + 16);
}

TEST_F(CamStatus, StatusChangingWhileOpenStartsTheWaitAgain) {
    Open();
    ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 3000));
    module.status = 2;
    windows.RunFor(20);
    EXPECT_EQ(Light(), res::kGreenLampBitmap);
    EXPECT_EQ(cam.MenuDeadline(), Now() + 15);
    module.status = 7;  // a status without a picture of its own
    windows.RunFor(20);
    EXPECT_EQ(Light(), res::kAmberLampBitmap);
}

TEST_F(CamStatus, MainMenuIsAskedForAgainWhileNoneComes) {
    Open();
    windows.RunFor(12000);
    ASSERT_GE(module.sent.size(), 3u);
    for (std::size_t k = 1; k < module.sent.size(); ++k) {
        EXPECT_EQ(module.sent[k].packet, kEnterMenu);
        // Queued again every one to two seconds, sent no sooner than the hold allows.
        EXPECT_GT(module.sent[k].second - module.sent[k - 1].second, 2);
        EXPECT_LE(module.sent[k].second - module.sent[k - 1].second, 4);
    }
}

TEST_F(CamStatus, MenuArrivingStopsTheMainMenuRequests) {
    OpenOnScreen(MainMenu());
    EXPECT_EQ(cam.MenuDeadline(), 0);
    EXPECT_EQ(Light(), res::kGreenLampBitmap);
    EXPECT_EQ(SentDuring(6000), 0u);
}

TEST_F(CamStatus, CamPulledWhileAMenuIsShownEmptiesTheList) {
    OpenOnScreen(MainMenu());
    ASSERT_FALSE(Entries().empty());
    module.status = 0;
    windows.RunFor(20);
    EXPECT_TRUE(Entries().empty());
    EXPECT_EQ(Light(), res::kRedLampBitmap);
    EXPECT_EQ(SentDuring(6000), 0u);
}

TEST_F(CamStatus, SendsAreHeldTwoSecondsUnlessTheCamSpeaks) {
    OpenOnScreen(MainMenu());
    cam.QueueMenuAnswer(1);
    windows.RunFor(20);
    ASSERT_EQ(LastSent(), MenuAnswer(1));
    const std::time_t sentAt = Now();
    EXPECT_EQ(cam.HoldUntil(), sentAt + 2);
    cam.QueueMenuAnswer(2);
    ASSERT_TRUE(RunUntil([&] { return LastSent() == MenuAnswer(2); }, 4000));
    EXPECT_GT(Now(), sentAt + 2);

    // Anything from the MMI session lifts the hold at once.
    cam.QueueMenuAnswer(3);
    Deliver(mmi::Tpdu(mmi::Mmi({mmi::Text("")})));
    EXPECT_EQ(LastSent(), MenuAnswer(3));
}

TEST_F(CamStatus, OnlyTheLastQueuedPacketGoes) {
    OpenOnScreen(MainMenu());
    cam.QueueMenuAnswer(1);
    cam.QueueMenuAnswer(2);
    ASSERT_EQ(SentDuring(20), 1u);
    EXPECT_EQ(LastSent(), MenuAnswer(2));
    EXPECT_FALSE(cam.RequestPending());
}

TEST_F(CamStatus, UnansweredStatusRequestStopsThePolling) {
    Open();
    windows.RunFor(100);
    module.answerStatus = false;
    windows.RunFor(2000);
    EXPECT_FALSE(windows.TimerActive(Panel(), COpenCam::kPollTimer));
    EXPECT_TRUE(link.LinkLost());
    const std::size_t polls = module.statusPolls;
    windows.RunFor(2000);
    EXPECT_EQ(module.statusPolls, polls);
}

TEST_F(CamStatus, LeavingStopsThePollingAndHides) {
    OpenOnScreen(MainMenu());
    cam.CloseCamMenu();
    EXPECT_FALSE(Panel().IsShown());
    EXPECT_FALSE(windows.TimerActive(Panel(), COpenCam::kPollTimer));
    const std::size_t polls = module.statusPolls;
    windows.RunFor(1000);
    EXPECT_EQ(module.statusPolls, polls);
}

TEST_F(CamStatus, ReopeningStartsAfresh) {
    OpenOnScreen(mmi::Cat({mmi::Tpdu(mmi::Mmi({mmi::Enquiry(true, 4, "PIN")}))}));
    ASSERT_TRUE(Panel().IsControlShown(res::kCamAnswerEdit));
    cam.ClearCamList();
    cam.CloseCamMenu();
    Open();
    EXPECT_EQ(cam.CamStatus(), -1);
    EXPECT_FALSE(cam.MmiOpen());
    EXPECT_FALSE(cam.RequestPending());
    EXPECT_EQ(cam.HoldUntil(), 0);
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    EXPECT_TRUE(windows.TimerActive(Panel(), COpenCam::kPollTimer));
}

}  // namespace
}  // namespace kelvane::test
