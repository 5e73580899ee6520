// kelvane-cli cam when the CAM stays silent or the module does not answer, on the virtual clock.

#include "link/Xmit.h"
#include "tests/cam/FakeCiModule.h"
#include "tests/cam/MmiBytes.h"
#include "tools/cli/CliCommands.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvane::test {
namespace {

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

// As the window asks: queued again every two seconds, each sent once the two-second hold has passed.
TEST_F(CliCam, SilentCamIsAskedAgainAsTheWindowAsksThenGivenUp) {
    const std::uint64_t start = clock.TickCount();
    EXPECT_EQ(Run({"cam", "2"}), kCliNoCam);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CAM did not show its main menu within 15 s\n");
    EXPECT_GE(clock.TickCount() - start, 15000u);
    ASSERT_GE(module.sent.size(), 5u);
    EXPECT_LE(module.sent.size(), 6u);
    for (const auto& sent : module.sent) EXPECT_EQ(sent.packet, kEnterMenu);
    for (std::size_t k = 1; k < module.sent.size(); ++k) {
        EXPECT_EQ(module.sent[k].second - module.sent[k - 1].second, 3);
    }
}

// A CAM that meets every answer, and the main-menu request, with a new question.
TEST_F(CliCam, CamThatAsksWithoutEndIsLeftAfterABoundedDialogue) {
    using namespace mmi;
    module.onSent = [&](const Bytes&) { module.mmiData.push_back(Reply(Tpdu(Mmi({Enquiry(false, 4, "Encore ?")})))); };
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

// A CAM whose texts hold escape sequences: clearing the screen, setting the terminal's title, the 8-bit CSI
// (in Latin-1 and in UTF-8), a line break of its own. (A control byte that opens a text selects its table.)
TEST_F(CliCam, ControlCharactersFromTheCamNeverReachTheTerminal) {
    using namespace mmi;
    module.onSent = [&](const Bytes& packet) {
        if (packet == kEnterMenu) {
            module.mmiData.push_back(Reply(Tpdu(Mmi({Menu("Titre\x1B[2J", "Sous-titre\x1B]0;pwned\x07",
                                                          "Bas\x9B"
                                                          "31m",
                                                          {"Un\r\nDeux", "\x15Trois\xC2\x9B"})}))));
        } else if (packet.size() > 11 && packet[11] == 0x0B) {  // menu_answ
            module.mmiData.push_back(Reply(Tpdu(Mmi({Enquiry(false, 4, "Code\x1B[5m\x7F :")}))));
        } else {
            module.mmiData.push_back(Reply(Tpdu(Mmi({Text("Merci\x1B[0m")}))));
        }
    };
    EXPECT_EQ(Run({"cam", "2", "1", "--answer", "12"}), kCliOk);
    const std::string printed = out.str();
    EXPECT_NE(printed.find("Titre?[2J\nSous-titre?]0;pwned?\n  1. Un??Deux\n  2. Trois?\n"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Bas?31m\n"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Code?[5m? :\n> answer 12\n[text]\nMerci?[0m\n"), std::string::npos) << printed;
    for (const unsigned char c : printed) {
        EXPECT_TRUE(c == '\n' || (c >= 0x20 && c != 0x7F)) << "byte " << static_cast<int>(c);
    }
    EXPECT_EQ(printed.find("\xC2\x9B"), std::string::npos);
}

TEST_F(CliCam, AChoiceTheModuleRefusesIsNamedAsRefused) {
    using namespace mmi;
    module.onSent = [&](const Bytes&) {
        module.mmiData.push_back(Reply(Tpdu(Mmi({Menu("Titre", "Sous-titre", "Bas", {"Un"})}))));
        module.refuseSends = true;  // what follows the main-menu request is refused
    };
    const std::uint64_t start = clock.TickCount();
    EXPECT_EQ(Run({"cam", "2", "1"}), kCliIncomplete);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CI module refused choice 1 for the CAM\n");
    // Said at once, not after waiting for an answer that cannot come.
    EXPECT_LT(clock.TickCount() - start, 5000u);
}

TEST_F(CliCam, ModuleThatDoesNotReportItsStatus) {
    module.answerStatus = false;
    EXPECT_EQ(Run({"cam", "2"}), kCliIncomplete);
    EXPECT_EQ(err.str(), "kelvane-cli: row 2: the CI module did not report its CAM's status\n");
    EXPECT_TRUE(module.sent.empty());
}

TEST_F(CliCam, ArgumentsThatMakeNoSense) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"cam"},
                                               {"cam", "x"},
                                               {"cam", "2", "256"},
                                               {"cam", "2", "--answer"},
                                               {"cam", "2", "--answer", "1", "--answer", "2"}}) {
        err.str("");
        EXPECT_EQ(Run(args), kCliUsage) << args.size();
        EXPECT_NE(err.str().find("cam wants a row"), std::string::npos);
    }
    EXPECT_EQ(module.statusPolls, 0u);
}

}  // namespace
}  // namespace kelvane::test
