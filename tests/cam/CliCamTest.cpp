// kelvane-cli cam when the CAM stays silent or the module does not answer, on the virtual clock.

#include "link/Xmit.h"
#include "tests/cam/FakeCiModule.h"
#include "tests/cam/MmiBytes.h"
#include "tools/CliCommands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvane::test {
namespace {

const Bytes kEnterMenu{0x01, 0x00, 0xA0, 0x09, 0x01, 0x90, 0x02, 0x00, 0x02, 0x9F, 0x80, 0x22, 0x00};

class CliCam : public ::testing::Test {
protected:
    int Run(const std::vector<std::string>& args) {
        CliContext cli{link, module, clock, out, err, "."};
        return RunCli(args, cli);
    }

    VirtualClock clock;
    FakeCiModule module{clock};
    CXmit link{module, clock};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliCam, SilentCamIsAskedAgainEveryTwoSecondsThenGivenUp) {
    const std::uint64_t start = clock.TickCount();
    EXPECT_EQ(Run({"cam", "2"}), kCliNoCam);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CAM did not show its main menu within 15 s\n");
    EXPECT_GE(clock.TickCount() - start, 15000u);
    ASSERT_GE(module.sent.size(), 7u);
    EXPECT_LE(module.sent.size(), 9u);
    for (const auto& sent : module.sent) EXPECT_EQ(sent.packet, kEnterMenu);
}

// A CAM that meets every answer, and the main-menu request, with a new question.
TEST_F(CliCam, CamThatAsksWithoutEndIsLeftAfterABoundedDialogue) {
    using namespace mmi;
    module.onSent = [&](const Bytes&) {
        module.mmiData.push_back(Reply(Tpdu(Mmi({Enquiry(false, 4, "Encore ?")}))));
    };
    EXPECT_EQ(Run({"cam", "2", "--answer", "1"}), kCliNoCam);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CAM kept asking: left after 32 questions answered\n");
    // The main-menu request, then one answer per question up to the limit.
    EXPECT_EQ(module.sent.size(), 33u);
    EXPECT_NE(out.str().find("> answer 1\n"), std::string::npos);
}

// A CAM that keeps answering, too slowly for the number of questions answered to stop it first.
TEST_F(CliCam, SlowCamThatAsksWithoutEndMeetsTheDeadline) {
    using namespace mmi;
    module.onSent = [&](const Bytes& packet) {
        // Each answer is met after some 300 empty reads, over 4 s of polling.
        if (packet != kEnterMenu) module.mmiData.insert(module.mmiData.end(), 300, Bytes{});
        module.mmiData.push_back(Reply(Tpdu(Mmi({Enquiry(false, 4, "Encore ?")}))));
    };
    const std::uint64_t start = clock.TickCount();
    EXPECT_EQ(Run({"cam", "2"}), kCliNoCam);
    EXPECT_NE(err.str().find("the dialogue with the CAM was left after 90 s"), std::string::npos) << err.str();
    EXPECT_LT(module.sent.size(), 33u);
    EXPECT_GE(clock.TickCount() - start, 90000u);
    EXPECT_LT(clock.TickCount() - start, 100000u);
}

TEST_F(CliCam, ModuleThatDoesNotReportItsStatus) {
    module.answerStatus = false;
    EXPECT_EQ(Run({"cam", "2"}), kCliIncomplete);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CI module did not report its CAM's status\n");
    EXPECT_TRUE(module.sent.empty());
}

TEST_F(CliCam, ArgumentsThatMakeNoSense) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"cam"}, {"cam", "x"}, {"cam", "2", "256"}, {"cam", "2", "--answer"},
                                               {"cam", "2", "--answer", "1", "--answer", "2"}}) {
        err.str("");
        EXPECT_EQ(Run(args), kCliUsage) << args.size();
        EXPECT_NE(err.str().find("cam wants a row"), std::string::npos);
    }
    EXPECT_EQ(module.statusPolls, 0u);
}

}  // namespace
}  // namespace kelvane::test
