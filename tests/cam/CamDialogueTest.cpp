// The CAM menu's dialogue: menus, lists and questions on screen, and the operator's double-clicks, Enter,
// Escape and answers going out to the CAM.

#include "tests/cam/CamPanelFixture.h"

#include <algorithm>

namespace kelvane::test {
namespace {

using namespace mmi;
using Lines = std::vector<std::string>;

class CamDialogue : public CamPanelFixture {
protected:
    static Bytes Rights() {
        return Tpdu(Mmi({List("Droits d'acc\xE8s", "Carte n\xB0 0417", "OK pour revenir",
                              {"D\xE9"
                               "couverte",
                               "Sport"})}));
    }
    static Bytes PinQuestion() { return Tpdu(Mmi({Enquiry(true, 4, "Code PIN :")})); }
    static Bytes PostcodeQuestion() { return Tpdu(Mmi({Enquiry(false, 5, "Code postal :")})); }

    // A CAM asks its questions from a menu.
    void AskPin() {
        OpenOnScreen(MainMenu());
        Deliver(PinQuestion());
    }

    // The message on show came within the last tenth of a second, for `durationMs` or the time it takes to read.
    void ExpectMessageFor(std::uint32_t durationMs) {
        durationMs = std::max(durationMs, CInfo::ReadingTimeMs(info.Text()));
        ASSERT_TRUE(MessageExpiresIn().has_value());
        EXPECT_LE(*MessageExpiresIn(), durationMs);
        EXPECT_GT(*MessageExpiresIn(), durationMs - 100);
    }
};

TEST_F(CamDialogue, MenuFillsTheListAndAsksForADoubleClick) {
    OpenOnScreen(MainMenu());
    EXPECT_EQ(Entries(), (Lines{"Module CA", "Menu principal", "", "Informations", "Droits", "Contr\xC3\xB4le parental",
                                "", "Choisissez"}));
    EXPECT_EQ(Message(), "Doubleclick on list to select or Escape for previous menu");
    ExpectMessageFor(10000);
    EXPECT_TRUE(cam.MmiOpen());
    EXPECT_FALSE(cam.ListShown());
}

TEST_F(CamDialogue, TextsInAnotherCharacterTableReadRight) {
    OpenOnScreen(Tpdu(Mmi({Menu("\x01\xBC\xD8\xE0", "\x05\xDDzmir", "\x0B\xA4",
                                {"\x11\x04\x1C\x04\x38", "\x15\xE2\x82\xAC", "Caf\xE9"})})));
    EXPECT_EQ(Entries(), (Lines{"\xD0\x9C\xD0\xB8\xD1\x80", "\xC4\xB0zmir", "", "\xD0\x9C\xD0\xB8", "\xE2\x82\xAC",
                                "Caf\xC3\xA9", "", "\xE2\x82\xAC"}));
}

TEST_F(CamDialogue, ControlCharactersShowAsNothing) {
    OpenOnScreen(Tpdu(Mmi({Menu("Titre\x1B[2J", "Sous\x8A-titre", "Bas\x7F",
                                {"Un\r\n",
                                 "\x15"
                                 "Deux\xC2\x9B"})})));
    EXPECT_EQ(Entries(), (Lines{"Titre[2J", "Sous-titre", "", "Un", "Deux", "", "Bas"}));
    Deliver(Tpdu(Mmi({Enquiry(false, 4,
                              "\x07"
                              "Code :\x1B")})));
    EXPECT_EQ(Entries(), Lines{"Code :"});
}

TEST_F(CamDialogue, MenuWithoutItems) {
    OpenOnScreen(Tpdu(Mmi({Menu("Titre", "Vide", "Bas", {})})));
    EXPECT_EQ(Entries(), (Lines{"Titre", "Vide", "", "", "Bas"}));
}

TEST_F(CamDialogue, MenuSentOverSeveralReadsWithSkippedChunks) {
    Open();
    ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 3000));
    const Bytes menu = MainMenu();
    const Bytes first(menu.begin(), menu.begin() + 30);
    const Bytes second(menu.begin() + 30, menu.end());
    module.mmiData.push_back(Cat({Chunk(first, true), Chunk(first, true, true)}));
    module.mmiData.push_back(Cat({Chunk(second), Chunk(StatusTpdu())}));
    windows.RunFor(100);
    EXPECT_EQ(Entries().size(), 8u);
    EXPECT_EQ(Entries()[3], "Informations");
}

// Enter on the entry the arrow keys moved to chooses it as a double-click does.
TEST_F(CamDialogue, DoubleClickOrEnterOnAMenuItemSendsItsNumber) {
    for (const bool byKey : {false, true}) {
        SCOPED_TRACE(byKey ? "Enter" : "double-click");
        OpenOnScreen(MainMenu());
        if (byKey) {
            Panel().PressKey(res::kCamList, ui::HeadlessDialog::Key::Enter, 4);
        } else {
            Panel().DoubleClick(res::kCamList, 4);
        }
        EXPECT_EQ(Message(), "Select menu 2");
        EXPECT_TRUE(Entries().empty());
        windows.RunFor(20);
        EXPECT_EQ(LastSent(), MenuAnswer(2));
    }
}

TEST_F(CamDialogue, DoubleClickOutsideTheItemsAndEnterOnAMenuDoNothing) {
    OpenOnScreen(MainMenu());
    const std::size_t sent = module.sent.size();
    for (int row : {0, 1, 2, 6, 7, -1}) Panel().DoubleClick(res::kCamList, row);
    Panel().PressEnter();
    windows.RunFor(3000);
    EXPECT_EQ(module.sent.size(), sent);
    EXPECT_EQ(Entries().size(), 8u);
}

TEST_F(CamDialogue, ListItemsAndEnterGoBack) {
    OpenOnScreen(Rights());
    EXPECT_TRUE(cam.ListShown());
    EXPECT_EQ(Entries(), (Lines{"Droits d'acc\xC3\xA8s", "Carte n\xC2\xB0 0417", "",
                                "D\xC3\xA9"
                                "couverte",
                                "Sport", "", "OK pour revenir"}));
    Panel().DoubleClick(res::kCamList, 4);
    EXPECT_FALSE(cam.ListShown());
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), MenuAnswer(0));

    Deliver(Rights());
    Panel().PressEnter();
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), MenuAnswer(0));
    EXPECT_TRUE(Entries().empty());
}

TEST_F(CamDialogue, EscapeGoesBackAndAsksForTheMainMenuIfNothingFollows) {
    OpenOnScreen(MainMenu());
    const std::time_t pressed = Now();
    Panel().PressEscape();
    EXPECT_EQ(cam.MenuDeadline(), pressed + 2);
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), MenuAnswer(0));
    ASSERT_TRUE(RunUntil([&] { return LastSent() == kEnterMenu; }, 5000));
    EXPECT_GE(module.sent.back().second, pressed + 3);
    EXPECT_LE(module.sent.back().second, pressed + 4);
}

TEST_F(CamDialogue, BlindQuestionShowsItsPromptAndAHiddenEdit) {
    AskPin();
    EXPECT_EQ(Entries(), Lines{"Code PIN :"});
    EXPECT_EQ(Message(), "Enter value and press OK or CANCEL");
    ExpectMessageFor(2000);
    const auto& edit = Panel().ControlState(res::kCamAnswerEdit);
    EXPECT_TRUE(edit.shown);
    EXPECT_TRUE(edit.password);
    EXPECT_EQ(edit.textLimit, 4);
    EXPECT_EQ(edit.text, "");
    EXPECT_EQ(Panel().FocusedControl(), res::kCamAnswerEdit);
}

TEST_F(CamDialogue, NextQuestionStartsWithAnEmptyOpenEdit) {
    AskPin();
    Panel().Type(res::kCamAnswerEdit, "99");
    Deliver(PostcodeQuestion());
    const auto& edit = Panel().ControlState(res::kCamAnswerEdit);
    EXPECT_FALSE(edit.password);
    EXPECT_EQ(edit.textLimit, 5);
    EXPECT_EQ(edit.text, "");
}

TEST_F(CamDialogue, QuestionWithoutALengthGetsWhatAnAnswerCarries) {
    OpenOnScreen(MainMenu());
    Deliver(Tpdu(Mmi({Enquiry(false, 0xFF, "Nom :")})));
    EXPECT_EQ(Panel().ControlState(res::kCamAnswerEdit).textLimit, static_cast<int>(kMaxAnswerLength));
}

TEST_F(CamDialogue, EnterSendsTheAnswerAndHidesTheEdit) {
    AskPin();
    Panel().Type(res::kCamAnswerEdit, "1234");
    Panel().PressEnter();
    EXPECT_EQ(Message(), "Answer : ****");  // a PIN is not read back in clear
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), (Bytes{0x01, 0x00, 0xA0, 0x0E, 0x01, 0x90, 0x02, 0x00, 0x04, 0x9F, 0x88, 0x08, 0x05, 0x01,
                                 '1', '2', '3', '4'}));
    // The edit losing the focus as it hides sends no cancel after the answer.
    windows.RunFor(3000);
    EXPECT_EQ(LastSent().back(), '4');
}

TEST_F(CamDialogue, AnAnswerTypedInSightIsReadBackAsTyped) {
    OpenOnScreen(MainMenu());
    Deliver(PostcodeQuestion());
    Panel().Type(res::kCamAnswerEdit, "75011");
    Panel().PressEnter();
    EXPECT_EQ(Message(), "Answer : 75011");
}

TEST_F(CamDialogue, EscapeInTheEditCancels) {
    AskPin();
    Panel().Type(res::kCamAnswerEdit, "12");
    Panel().PressEscape();
    EXPECT_EQ(Message(), "Answer : ");
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), kCancel);
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    EXPECT_EQ(cam.MenuDeadline(), 0);
}

TEST_F(CamDialogue, EditLosingTheFocusCancels) {
    AskPin();
    Panel().Focus(res::kCamList);
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), kCancel);
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
}

TEST_F(CamDialogue, MenuArrivingDuringAQuestionTakesTheScreenAndTheFocus) {
    AskPin();
    Panel().Type(res::kCamAnswerEdit, "12");
    Deliver(MainMenu());
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    EXPECT_EQ(Panel().FocusedControl(), res::kCamList);
    EXPECT_EQ(Entries().size(), 8u);
    // Enter on the menu now sends nothing (no cancel of the question gone); a double-click picks an item.
    const std::size_t sent = module.sent.size();
    Panel().PressEnter();
    windows.RunFor(3000);
    EXPECT_EQ(module.sent.size(), sent);
    Panel().DoubleClick(res::kCamList, 3);
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), MenuAnswer(1));

    // The same with a list, where Enter goes back.
    Deliver(PinQuestion());
    Deliver(Rights());
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    EXPECT_EQ(Panel().FocusedControl(), res::kCamList);
    Panel().PressEnter();
    windows.RunFor(20);
    EXPECT_EQ(LastSent(), MenuAnswer(0));
}

TEST_F(CamDialogue, TextAfterAQuestionFollowsItsPrompt) {
    AskPin();
    Panel().Type(res::kCamAnswerEdit, "0000");
    Panel().PressEnter();
    windows.RunFor(20);
    Deliver(Tpdu(Mmi({Text("Code PIN incorrect !")})));
    EXPECT_EQ(Entries(), (Lines{"Code PIN :", "Code PIN incorrect !"}));
}

TEST_F(CamDialogue, CamClosingItsMenuIsAskedForTheMainMenuAgain) {
    OpenOnScreen(MainMenu());
    Panel().DoubleClick(res::kCamList, 3);
    windows.RunFor(20);
    const std::time_t closed = Now();
    Deliver(Cat({Tpdu(Mmi({CloseMmi()})), Tpdu(CloseMmiSession())}));
    EXPECT_FALSE(cam.MmiOpen());
    EXPECT_TRUE(Entries().empty());
    EXPECT_NE(Message(), "TAG 9F8800 not treated");
    // As at opening: asked for once the clock's second has changed.
    ASSERT_TRUE(RunUntil([&] { return LastSent() == kEnterMenu; }, 2000));
    EXPECT_LE(module.sent.back().second, closed + 1);
    EXPECT_EQ(Message(), "Ask for main menu");
    Deliver(MainMenu());
    EXPECT_EQ(Entries().size(), 8u);
    EXPECT_EQ(cam.MenuDeadline(), 0);
}

TEST_F(CamDialogue, CamClosingItsMenuDuringAQuestionTakesTheAnswerBoxAway) {
    AskPin();
    Deliver(Tpdu(Mmi({CloseMmi()})));  // close_mmi alone, the session kept
    EXPECT_TRUE(Entries().empty());
    EXPECT_FALSE(Panel().IsControlShown(res::kCamAnswerEdit));
    EXPECT_EQ(Panel().FocusedControl(), res::kCamList);
    ASSERT_TRUE(RunUntil([&] { return LastSent() == kEnterMenu; }, 2000));
    // No cancel went out for the question the CAM took away.
    for (const auto& sent : module.sent) EXPECT_NE(sent.packet, kCancel);
}

TEST_F(CamDialogue, ChoicesAfterTheSessionClosedAreShownButNotSent) {
    OpenOnScreen(MainMenu());
    Deliver(Cat({Tpdu(Mmi({CloseMmi()})), Tpdu(CloseMmiSession())}));
    EXPECT_FALSE(cam.MmiOpen());
    const std::size_t sent = module.sent.size();
    cam.QueueMenuAnswer(2);
    EXPECT_EQ(Message(), "Select menu 2");
    cam.QueueAnswer("1234");
    EXPECT_EQ(Message(), "Answer : 1234");
    windows.RunFor(3000);
    // Only the main menu is asked for: it opens the session again.
    ASSERT_GT(module.sent.size(), sent);
    for (std::size_t k = sent; k < module.sent.size(); ++k) EXPECT_EQ(module.sent[k].packet, kEnterMenu);
}

TEST_F(CamDialogue, ARefusedSendIsReported) {
    OpenOnScreen(MainMenu());
    module.refuseSends = true;
    Panel().DoubleClick(res::kCamList, 3);
    windows.RunFor(20);
    EXPECT_EQ(Message(), MessageText(kCamSendRefusedMessage));
    ASSERT_TRUE(MessageExpiresIn().has_value());
    EXPECT_NEAR(static_cast<double>(*MessageExpiresIn()), 5000.0, 100.0);
    // The panel goes on polling: a menu still shows.
    module.refuseSends = false;
    Deliver(MainMenu());
    EXPECT_EQ(Entries().size(), 8u);
}

TEST_F(CamDialogue, AChoiceReplacedBeforeItWentOutIsReported) {
    OpenOnScreen(MainMenu());
    Panel().DoubleClick(res::kCamList, 3);
    windows.RunFor(20);
    ASSERT_EQ(LastSent(), MenuAnswer(1));
    // The CAM is slow: what is queued now waits out the hold, and a newer choice takes its place.
    cam.QueueMenuAnswer(2);
    EXPECT_EQ(Message(), "Select menu 2");
    cam.QueueAnswer("1234");
    EXPECT_EQ(Message(), MessageText(kCamAnswerReplacedMessage));
    ASSERT_TRUE(RunUntil([&] { return LastSent() != MenuAnswer(1); }, 3000));
    EXPECT_EQ(LastSent().back(), '4');

    // The main-menu request standing in for itself, or giving way to a choice, loses nothing worth a word.
    cam.QueueEnterMenu();
    cam.QueueEnterMenu();
    EXPECT_EQ(Message(), "Ask for main menu");
    cam.QueueMenuAnswer(1);
    EXPECT_EQ(Message(), "Select menu 1");
    // Nor does the same choice made twice.
    cam.QueueMenuAnswer(1);
    EXPECT_EQ(Message(), "Select menu 1");
}

TEST_F(CamDialogue, MalformedDataIsSkippedAndTheNextMenuStillShows) {
    Open();
    ASSERT_TRUE(RunUntil([&] { return !module.sent.empty(); }, 3000));
    Bytes overrun = MainMenu();
    ASSERT_LT(overrun[1], 0x80);
    overrun[1] = 0x82;  // the packet's length turned into a long form announcing 400 bytes
    module.mmiData.push_back(Reply(overrun));
    module.mmiData.push_back(Cat({Chunk({0xA0}, true), Bytes{0x7F, 0xFF, 0x01}}));
    module.mmiData.push_back(Chunk(Bytes(5000, 0x41), true));
    module.mmiData.push_back(Chunk({}, false));
    windows.RunFor(100);
    EXPECT_TRUE(Entries().empty());
    Deliver(MainMenu());
    EXPECT_EQ(Entries().size(), 8u);
}

}  // namespace
}  // namespace kelvane::test
