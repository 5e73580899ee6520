// What kelvane-cli prints of the CAM's screens.

#include "cam/MmiParser.h"
#include "tests/cam/MmiBytes.h"
#include "tools/CamScreenText.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace test::mmi;

std::vector<MmiEvent> Events(const Bytes& transport) {
    std::vector<MmiEvent> events;
    ParseMmiObjects(transport, events);
    return events;
}

TEST(CamScreenText, MenuItemsAreNumberedAsTheirChoices) {
    CamScreenText screen;
    EXPECT_TRUE(screen.Take(
        Events(Tpdu(Mmi({Menu("Module CA", "Menu principal", "Choisissez", {"Informations", "R\xE9glages"})})))));
    EXPECT_EQ(screen.Flush(),
              "[menu]\nModule CA\nMenu principal\n  1. Informations\n  2. R\xC3\xA9glages\nChoisissez\n");
    EXPECT_EQ(screen.Flush(), "");
}

TEST(CamScreenText, ListItemsAreBulleted) {
    CamScreenText screen;
    screen.Take(Events(Tpdu(Mmi({List("Droits", "Carte", "OK", {"Sport"})}))));
    EXPECT_EQ(screen.Flush(), "[list]\nDroits\nCarte\n  - Sport\nOK\n");
}

TEST(CamScreenText, QuestionWaitsForItsAnswer) {
    CamScreenText screen;
    screen.Take(Events(Tpdu(Mmi({Enquiry(true, 4, "Code PIN :")}))));
    EXPECT_TRUE(screen.Asking());
    EXPECT_TRUE(screen.Blind());
    EXPECT_EQ(screen.Flush(), "[question, answer typed blind, 4 characters]\nCode PIN :\n");
    EXPECT_TRUE(screen.Asking());
    screen.Answered();
    EXPECT_FALSE(screen.Asking());
    screen.Take(Events(Tpdu(Mmi({Text("Code PIN incorrect !")}))));
    EXPECT_EQ(screen.Flush(), "[text]\nCode PIN incorrect !\n");
}

TEST(CamScreenText, ClosingAndUntreatedObjectsAreNamed) {
    CamScreenText screen;
    EXPECT_TRUE(screen.Take(Events(Cat({Tpdu(Mmi({CloseMmi()})), Tpdu(CloseMmiSession())}))));
    EXPECT_EQ(screen.Flush(), "(CAM object 9F8800 not treated)\n(the CAM closed its menu)\n");
}

TEST(CamScreenText, SessionPacketsAloneShowNothing) {
    CamScreenText screen;
    EXPECT_FALSE(screen.Take(Events(Tpdu(Mmi({Object(0x9F8801, {0x01, 0x01})})))));
    EXPECT_EQ(screen.Flush(), "");
}

}  // namespace
}  // namespace kelvane
