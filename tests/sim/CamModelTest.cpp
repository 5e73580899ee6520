// The simulated CAM: its menus, lists and questions, and where each choice and answer leads.

#include "sim/CamModel.h"
#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvane::sim {
namespace {

using ci::Bytes;
using test::Hex;

Bytes FromHost(std::uint16_t session, const Bytes& object) {
    return ci::SessionData(session, std::vector<Bytes>{object});
}
Bytes EnterMenu() { return FromHost(2, Hex("9F 80 22 00")); }
Bytes Choice(std::uint8_t c) { return FromHost(4, Bytes{0x9F, 0x88, 0x0B, 0x01, c}); }
Bytes Answer(const std::string& text) {
    Bytes body{0x01};
    body.insert(body.end(), text.begin(), text.end());
    return FromHost(4, ci::Object(ci::kAnswTag, body));
}
Bytes Cancel() { return FromHost(4, Hex("9F 88 08 01 00")); }

bool Holds(const Bytes& bytes, const Bytes& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

class CamModelTest : public ::testing::Test {
protected:
    // The single session packet the CAM answers `packet` with.
    Bytes Say(const Bytes& packet) {
        const std::vector<Bytes> answers = cam.Receive(packet);
        EXPECT_EQ(answers.size(), 1u);
        return answers.empty() ? Bytes{} : answers[0];
    }

    CamModel cam;
};

TEST_F(CamModelTest, BootAnnouncesTheApplicationOnItsSession) {
    const std::vector<Bytes> boot = cam.Boot();
    ASSERT_EQ(boot.size(), 1u);
    EXPECT_TRUE(Holds(boot[0], Hex("90 02 00 02 9F 80 21")));
    EXPECT_TRUE(Holds(boot[0], ci::Latin1("KryptaVision")));
    EXPECT_FALSE(cam.MmiOpen());
}

TEST_F(CamModelTest, EnterMenuOpensTheMmiWithDisplayControlAndTheMainMenu) {
    const Bytes packet = Say(EnterMenu());
    EXPECT_TRUE(Holds(packet, Hex("90 02 00 04 9F 88 01 02 01 01 9F 88 09")));
    EXPECT_TRUE(Holds(packet, Hex("9F 88 03 0E 44 72 6F 69 74 73 20 64 27 61 63 63 E8 73")));  // Droits d'accès
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
    // Asked again while open, it shows the main menu without a new display_control.
    cam.Receive(Choice(4));
    const Bytes again = Say(EnterMenu());
    EXPECT_FALSE(Holds(again, Hex("9F 88 01")));
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
}

TEST_F(CamModelTest, MenusLeadToSubMenusAndZeroLeadsBack) {
    cam.Receive(EnterMenu());
    EXPECT_TRUE(Holds(Say(Choice(4)), ci::TextLast("Paramètres du module")));
    EXPECT_EQ(cam.Current(), CamScreen::Settings);
    Say(Choice(1));
    EXPECT_EQ(cam.Current(), CamScreen::Languages);
    Say(Choice(0));
    EXPECT_EQ(cam.Current(), CamScreen::Settings);
    Say(Choice(0));
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
    Say(Choice(9));  // no such item: the same menu again
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
}

TEST_F(CamModelTest, ListsGoBackOnAnyChoice) {
    cam.Receive(EnterMenu());
    EXPECT_TRUE(Holds(Say(Choice(2)), Hex("9F 88 0C")));
    EXPECT_EQ(cam.Current(), CamScreen::Rights);
    Say(Choice(0));
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
}

TEST_F(CamModelTest, LeavingTheMainMenuClosesTheMmi) {
    cam.Receive(EnterMenu());
    const std::vector<Bytes> answers = cam.Receive(Choice(0));
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0], Hex("90 02 00 04 9F 88 00 01 00"));
    EXPECT_EQ(answers[1], Hex("95 02 00 04"));
    EXPECT_FALSE(cam.MmiOpen());
    EXPECT_TRUE(cam.Receive(Choice(1)).empty());
}

TEST_F(CamModelTest, PinQuestionIsBlindAndGuardsTheParentalMenu) {
    cam.Receive(EnterMenu());
    const Bytes question = Say(Choice(3));
    EXPECT_TRUE(Holds(question, Hex("9F 88 07")));
    EXPECT_TRUE(Holds(question, Bytes{0x01, 0x04, 'C', 'o', 'd', 'e'}));
    EXPECT_TRUE(cam.Receive(Choice(1)).empty());  // a question wants an answer, not a choice
    EXPECT_EQ(Say(Answer("0000")), ci::SessionData(4, std::vector<Bytes>{ci::TextLast("Code PIN incorrect !")}));
    EXPECT_EQ(cam.Current(), CamScreen::WrongPin);
    Say(Choice(0));
    Say(Choice(3));
    Say(Answer(std::string(CamModel::kPin)));
    EXPECT_EQ(cam.Current(), CamScreen::Parental);
    EXPECT_TRUE(Holds(Say(Choice(2)), ci::TextLast("Niveau actuel : Déconseillé aux moins de 10 ans")));
    EXPECT_EQ(cam.Settings().parentalLevel, 2);
}

TEST_F(CamModelTest, CancelledQuestionGoesBack) {
    cam.Receive(EnterMenu());
    Say(Choice(3));
    Say(Cancel());
    EXPECT_EQ(cam.Current(), CamScreen::MainMenu);
}

TEST_F(CamModelTest, PlainQuestionKeepsItsAnswer) {
    cam.Receive(EnterMenu());
    Say(Choice(4));
    const Bytes question = Say(Choice(2));
    EXPECT_TRUE(Holds(question, Bytes{0x00, 0x05, 'C', 'o', 'd', 'e'}));
    EXPECT_TRUE(Holds(Say(Answer("75011")), ci::TextLast("Code postal enregistré : 75011")));
    EXPECT_EQ(cam.Settings().postcode, "75011");
    Say(Choice(0));
    EXPECT_EQ(cam.Current(), CamScreen::Settings);
}

TEST_F(CamModelTest, PacketsOnAClosedMmiOrOfUnknownShapeGetNothing) {
    EXPECT_TRUE(cam.Receive(Choice(1)).empty());
    EXPECT_TRUE(cam.Receive(Hex("90 02")).empty());
    EXPECT_TRUE(cam.Receive(Hex("91 04 00 40 00 41")).empty());
    EXPECT_TRUE(cam.Receive(FromHost(2, Hex("9F 80 22 05 00"))).empty());  // runs past its packet
}

TEST_F(CamModelTest, LongMenusUseTheLongLengthForm) {
    const Bytes packet = Say(EnterMenu());
    EXPECT_TRUE(Holds(packet, Hex("9F 88 09 81")));
}

TEST(CamQuirks, EndlessQuestionsAndAnOversizedMenu) {
    CamModel endless(CamQuirks{true, false});
    endless.Receive(EnterMenu());
    endless.Receive(Choice(3));
    ASSERT_EQ(endless.Current(), CamScreen::PinQuestion);
    for (const Bytes& reply : {Answer("1234"), Cancel(), Answer("75001"), Cancel()}) {
        const std::vector<Bytes> answers = endless.Receive(reply);
        ASSERT_EQ(answers.size(), 1u);
        EXPECT_TRUE(Holds(answers[0], Hex("9F 88 07"))) << "another question";
        EXPECT_EQ(endless.Current(), CamScreen::PostcodeQuestion);
    }

    CamModel oversized(CamQuirks{false, true});
    const std::vector<Bytes> menu = oversized.Receive(EnterMenu());
    ASSERT_EQ(menu.size(), 1u);
    EXPECT_GT(menu[0].size(), CamModel::kOversizedTitle);
    EXPECT_TRUE(Holds(menu[0], Hex("9F 88 09 82"))) << "a menu with a two-byte length";
}

}  // namespace
}  // namespace kelvane::sim
