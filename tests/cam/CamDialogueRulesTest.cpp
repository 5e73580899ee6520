// The window-free dialogue that the CAM menu and kelvane-cli cam both drive: its main-menu retries and its bound
// on answers, driven as their loops drive it, every 10 ms, on the virtual clock.

#include "cam/CamDialogue.h"
#include "link/Xmit.h"
#include "tests/cam/FakeCiModule.h"
#include "tests/cam/MmiBytes.h"

#include <gtest/gtest.h>

namespace kelvane::test {
namespace {

struct NoView final : CamDialogueView {
    void ShowEvent(const MmiEvent&) override {}
    void ShowStatus(int) override {}
    void ShowNotice(const std::string&, std::uint32_t) override {}
};

TEST(CamDialogueRules, MainMenuRetriesAndTheBoundOnAnswers) {
    struct Case {
        const char* name;
        bool camAsks;  // the CAM meets every packet with a question
        bool driverAnswers;  // the driver answers every question up to the bound, as kelvane-cli does
        bool camSlow;  // the CAM shows its menu only once the request has been queued again
        std::size_t sends;
        int answers;
        bool questionOpen;
    };
    for (const Case& c : {
             // Queued again every two seconds, each sent once the two-second hold has passed.
             Case{"silent CAM", false, false, false, 4, 0, false},
             // The request queued again is dropped once the menu has come: the CAM would show it twice.
             Case{"slow CAM", false, false, true, 1, 0, false},
             // The question is a screen: no main-menu request takes it away.
             Case{"CAM asking first", true, false, false, 1, 0, true},
             Case{"CAM asking without end", true, true, false, 1 + CamDialogue::kMostAnswers, CamDialogue::kMostAnswers,
                  true},
         }) {
        SCOPED_TRACE(c.name);
        VirtualClock clock;
        FakeCiModule module{clock};
        CXmit link{module, clock};
        ASSERT_TRUE(link.FindPort());
        module.onSent = [&](const Bytes&) {
            if (c.camAsks) module.mmiData.push_back(mmi::Reply(mmi::Tpdu(mmi::Mmi({mmi::Enquiry(false, 4, "?")}))));
        };
        NoView view;
        CamDialogue dialogue{clock, view};
        dialogue.Open(link, 2);
        const std::uint64_t start = clock.TickCount();
        while (clock.TickCount() - start < 12000) {
            ASSERT_TRUE(dialogue.Tick());
            if (c.camSlow && module.sent.size() == 1 && dialogue.RequestPending() && !dialogue.MmiOpen()) {
                module.mmiData.push_back(mmi::Reply(mmi::Tpdu(mmi::Mmi({mmi::Menu("Main", "", "", {"one"})}))));
            }
            if (c.driverAnswers && dialogue.QuestionOpen() && !dialogue.AnswersExhausted()) dialogue.QueueAnswer("1");
            clock.Sleep(10);
        }
        EXPECT_EQ(module.sent.size(), c.sends);
        EXPECT_EQ(dialogue.AnswersQueued(), c.answers);
        EXPECT_EQ(dialogue.QuestionOpen(), c.questionOpen);
        ASSERT_FALSE(module.sent.empty());
        EXPECT_EQ(module.sent[0].packet, kEnterMenu);
        EXPECT_EQ(module.sent[0].second, 1'700'000'001);
        for (std::size_t k = 1; k < module.sent.size() && !c.camAsks; ++k) {
            EXPECT_EQ(module.sent[k].packet, kEnterMenu);
            EXPECT_EQ(module.sent[k].second - module.sent[k - 1].second, 3);
        }
    }
}

}  // namespace
}  // namespace kelvane::test
