#include "app/KelvaneApp.h"
#include "app/MessageCatalogue.h"
#include "app/TextFormat.h"
#include "config/FirmwareFiles.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kelvane {
namespace {

TEST_F(MainWindowTest, InitialisationBuildsTheWindowAndItsHiddenChildren) {
    EXPECT_EQ(window->Caption(), "Kelvane");
    EXPECT_EQ(window->WindowIcon(), res::kAppIcon);
    EXPECT_EQ(window->ControlState(res::kDiscoverButton).icon, 169);
    EXPECT_EQ(window->ControlState(res::kUploadButton).icon, 193);
    EXPECT_EQ(window->ControlState(res::kSaveButton).icon, 192);
    // Icon-only buttons say what they do in the operator's language.
    EXPECT_EQ(window->ControlState(res::kDiscoverButton).toolTip, "Search the rack again");
    EXPECT_EQ(window->ControlState(res::kUploadButton).toolTip, "Upload a configuration file to the rack");
    EXPECT_EQ(window->ControlState(res::kSaveButton).toolTip, "Save the rack's configuration to a file");

    const auto& list = window->ControlState(res::kModuleList);
    EXPECT_EQ(list.images.size, (ui::Size{48, 48}));
    EXPECT_EQ(list.images.bitmaps, (std::vector<int>{150, 162, 153, 164, 143, 163, 154, 165, 209, 208, 155}));
    EXPECT_EQ(list.iconSpacing, (ui::Size{52, 20}));
    ASSERT_EQ(window->RowCount(res::kModuleList), 13);
    for (int row = 0; row < 13; ++row) {
        EXPECT_EQ(Label(row), "");
        EXPECT_EQ(Image(row), 10);
    }

    EXPECT_FALSE(window->IsControlShown(res::kMakerPicture));
    EXPECT_FALSE(window->IsControlShown(res::kBannerPicture));
    EXPECT_FALSE(window->IsControlShown(res::kSmallBannerPicture));
    EXPECT_TRUE(window->IsControlShown(res::kBackgroundPicture));
    for (const int child : {res::kModulePanelDialog, res::kInfoDialog, res::kCamDialog}) {
        ASSERT_NE(windows.Find(child), nullptr) << child;
        EXPECT_FALSE(windows.Find(child)->IsShown()) << child;
        EXPECT_EQ(windows.Find(child)->Parent(), window) << child;
    }
    EXPECT_EQ(windows.TimerDue(*window, CKelvaneDlg::kStartTimer), clock.TickCount() + 10);
}

// The window system's own texts (file dialogs, questions) follow the language of pref.txt.
TEST(StartUp, GivesTheWindowSystemThePreferredLanguage) {
    namespace fs = std::filesystem;
    const fs::path start = fs::current_path();
    const test::TempFolder directory("start");
    directory.Write("pref.txt", "IT\n");
    fs::current_path(directory.Root());
    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    test::ScriptedPortOpener ports{clock};
    CXmit link{ports, clock};
    CKelvaneApp(windows, link).Run();
    fs::current_path(start);
    EXPECT_EQ(windows.language, "it");
    EXPECT_EQ(LanguageIndex(), kItalian);
    SetLanguageIndex(kEnglish);
}

TEST_F(MainWindowTest, StartTimerRunsOnceAndReportsAMissingRack) {
    windows.RunFor(10);
    // No port answered: the warning about firmware files with its beep, then what was tried, which stays.
    EXPECT_EQ(windows.beeps, (std::vector<ui::HeadlessWindowSystem::Beeped>{{440, 200}}));
    EXPECT_EQ(main->Info().Text(),
              FormatText(MessageText(kNoRackLastingMessage), {MessageText(kNoPortToSearchMessage)}));
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kStartTimer));
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    EXPECT_TRUE(window->IsControlEnabled(res::kDiscoverButton));
    EXPECT_FALSE(window->IsControlEnabled(res::kUploadButton));
    EXPECT_FALSE(window->IsControlEnabled(res::kSaveButton));
    EXPECT_EQ(ports.opened.size(), 256u);
}

// Started with no rack, the window names every port it tried with its reason, keeps that on show, and
// searches again every second until a rack answers.
TEST_F(MainWindowTest, WithNoRackTheWindowKeepsTellingWhatItTriedAndKeepsLooking) {
    ports.InstallBusy(3);
    ports.InstallFailure(5, OpenProblem::NotPermitted, "dialout");
    ports.InstallBusy(9);
    windows.RunFor(10);
    const std::string told = main->Info().Text();
    // Ports that failed alike are named under one reason.
    EXPECT_NE(told.find("COM3, COM9 is in use by another program; COM5: no permission; join the group dialout"),
              std::string::npos)
        << told;
    EXPECT_NE(told.find("ports.txt"), std::string::npos) << told;

    windows.RunFor(5000);
    EXPECT_EQ(main->Info().Text(), told) << "the message did not last";
    EXPECT_EQ(ports.searchStarts.size(), 6u) << "one search at start, then one a second";
    EXPECT_EQ(windows.beeps.size(), 1u) << "the firmware warning comes once";

    RackAnswers({Identity(23), Accept({}), Identity(23), Accept({})});
    windows.RunFor(1000);
    EXPECT_EQ(Label(0), "KXA100\r\nV2.3");
    EXPECT_TRUE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kRelinkTimer));
    EXPECT_EQ(main->Info().Text(), FormatText(MessageText(kRackFoundOnMessage), {"COM0"}));
}

TEST_F(MainWindowTest, DiscoveryLabelsRowsAndStartsSupervision) {
    RackAnswers({Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23), Identity(12), Identity(5), Accept({}),
                 Accept({0x01, 0x02, 0x03}), Accept({0x04})});
    main->DiscoverRack();
    EXPECT_EQ(Label(0), "KXA100\r\nV2.3");
    EXPECT_EQ(Label(1), "KXB200\r\nV1.2");
    EXPECT_EQ(Label(2), "KXD410\r\nV0.5");
    EXPECT_EQ(Label(3), "");
    EXPECT_EQ(Image(0), 1);  // the controller's row is selected at the end
    EXPECT_EQ(Image(1), 2);
    EXPECT_EQ(Image(2), 4);
    EXPECT_EQ(Image(3), 10);
    EXPECT_EQ(main->CurrentSlot(), 0);
    EXPECT_TRUE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    EXPECT_TRUE(window->IsControlEnabled(res::kDiscoverButton));
    EXPECT_TRUE(window->IsControlEnabled(res::kUploadButton));
    EXPECT_TRUE(window->IsControlEnabled(res::kSaveButton));
    // No firmware folder: its warning came, and then where the rack answered, which stays to be read.
    EXPECT_EQ(windows.beeps.size(), 1u);
    EXPECT_EQ(main->Info().Text().rfind("Rack found on ", 0), 0u) << main->Info().Text();
    EXPECT_EQ(window->Caption(), "Kelvane \u2014 KXRRack on " + link.PortName());  // the title names the rack's entry
    // What was read counts as sent: nothing differs yet.
    const SlotRecord& input = main->Slots()[1];
    EXPECT_EQ(input.SentLength, 3);
    EXPECT_EQ(input.SentConfig[2], 0x03);
}

// A click given while discovery runs is dropped with a beep under the busy cursor, not acted on seconds later;
// once the search is done a click acts at once.
TEST_F(MainWindowTest, InputDuringTheSearchIsDroppedNotReplayed) {
    struct Case {
        const char* when;
        std::uint64_t clickAfterMs;
        int dropped;
        int slotAfter;
    };
    for (const Case& c : {Case{"during the search", 300, 1, 0}, Case{"after it", 3000, 0, 1}}) {
        SCOPED_TRACE(c.when);
        main.reset();
        windows.beeps.clear();
        windows.droppedInputs = 0;
        SetUp();
        // Every module answers slowly: the search lasts some seconds.
        std::deque<ScriptedPort::Reaction> rack{
            Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23),  Identity(12), Identity(5),
            Accept({}),   Accept({0x01, 0x02, 0x03}),        Accept({0x04})};
        for (ScriptedPort::Reaction& reaction : rack) reaction.delayMs = 60;
        RackAnswers(rack);
        windows.InputAt(c.clickAfterMs, [&] { window->Click(res::kModuleList, 1); });
        windows.RunFor(8000);
        EXPECT_EQ(windows.droppedInputs, c.dropped);
        EXPECT_EQ(std::count(windows.beeps.begin(), windows.beeps.end(),
                             ui::HeadlessWindowSystem::Beeped{ui::kBusyBeepHz, ui::kBusyBeepMs}),
                  c.dropped);
        EXPECT_EQ(main->CurrentSlot(), c.slotAfter);
        EXPECT_FALSE(windows.Busy());
    }
}

TEST_F(MainWindowTest, InactiveModuleStopsDiscoveryAndRestartsTheRack) {
    RackAnswers({Identity(23), Accept({0x05, 1, 12}), Identity(23), Identity(12, 0xFF)});
    main->DiscoverRack();
    EXPECT_FALSE(link.PortOpen());
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    EXPECT_TRUE(window->IsControlEnabled(res::kDiscoverButton));
    EXPECT_FALSE(window->IsControlEnabled(res::kUploadButton));
    EXPECT_FALSE(window->IsControlEnabled(res::kSaveButton));
    EXPECT_TRUE(windows.beeps.empty());  // no firmware warning on this path
}

TEST_F(MainWindowTest, LostLinkIsNoticedWithinOneTickAndRediscovers) {
    RackAnswers({Identity(23), Accept({}), Identity(23), Accept({})});
    main->DiscoverRack();
    ASSERT_TRUE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    windows.RunFor(350);
    EXPECT_TRUE(link.PortOpen());

    // A request fails all its tries, as a panel's poll would; the next tick closes the port and searches.
    ports.opened.clear();
    link.SetLinkLost(true);
    windows.RunFor(100);
    EXPECT_FALSE(ports.opened.empty());
    EXPECT_EQ(ports.opened.front(), 0);
    EXPECT_EQ(main->CurrentSlot(), 0);
}

// After a lost link the rack is searched for until it answers, the message area saying so, and the pair that
// was open comes back, but only onto the same modules.
TEST_F(MainWindowTest, AfterALostLinkThePairThatWasOpenIsOpenedAgain) {
    const std::deque<ScriptedPort::Reaction> rack{
        Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23),  Identity(12), Identity(5),
        Accept({}),   Accept({0x01, 0x02, 0x03}),        Accept({0x04})};
    window->KillTimer(CKelvaneDlg::kStartTimer);
    RackAnswers(rack);
    main->DiscoverRack();
    main->SelectSlot(2);
    ASSERT_EQ(calls.back(), (test::PanelCall{"load", 0, &main->Slots()[1], &main->Slots()[2]}));

    ports.Install(0, {});  // the port is there, the rack is silent
    link.SetLinkLost(true);
    windows.RunFor(100);
    EXPECT_EQ(main->Info().Text(), "Link to the rack lost - Searching...");
    EXPECT_TRUE(window->IsControlEnabled(res::kDiscoverButton)) << "the window is free between searches";
    EXPECT_FALSE(windows.Find(res::kModulePanelDialog)->IsShown());
    windows.RunFor(3000);
    EXPECT_EQ(main->Info().Text(), "Link to the rack lost - Searching...") << "still searching";

    calls.clear();
    RackAnswers(rack);
    windows.RunFor(1100);
    EXPECT_EQ(main->CurrentSlot(), 2);
    EXPECT_EQ(calls.back(), (test::PanelCall{"load", 0, &main->Slots()[1], &main->Slots()[2]}));
    EXPECT_TRUE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kRelinkTimer));
}

TEST_F(MainWindowTest, AfterALostLinkNothingIsOpenedOnModulesThatMoved) {
    window->KillTimer(CKelvaneDlg::kStartTimer);
    RackAnswers({Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23), Identity(12), Identity(5), Accept({}),
                 Accept({0x01, 0x02, 0x03}), Accept({0x04})});
    main->DiscoverRack();
    main->SelectSlot(1);
    calls.clear();
    // The rack answers at once, but its two modules have changed places.
    RackAnswers({Identity(23), Accept({0x06, 5, 5, 0x05, 1, 12}), Identity(23), Identity(5), Identity(12), Accept({}),
                 Accept({0x04}), Accept({0x01, 0x02, 0x03})});
    link.SetLinkLost(true);
    windows.RunFor(100);
    EXPECT_EQ(main->CurrentSlot(), 0);
    for (const test::PanelCall& call : calls) EXPECT_NE(call.what, "load");
}

TEST_F(MainWindowTest, RowsBeyondTheListAreKeptButNotShown) {
    Bytes list;
    for (std::uint8_t k = 1; k <= 13; ++k) list.insert(list.end(), {static_cast<std::uint8_t>(k + 0x10), 3, 20});
    std::deque<ScriptedPort::Reaction> script{Identity(23), Accept(list)};
    for (int k = 0; k < 14; ++k) script.push_back(Identity(20));
    for (int k = 0; k < 14; ++k) script.push_back(Accept({}));
    RackAnswers(script);
    main->DiscoverRack();
    EXPECT_EQ(main->Slots().ModuleCount, 14);
    EXPECT_EQ(window->RowCount(res::kModuleList), 13);
    EXPECT_EQ(Label(12), "KXF600\r\nV2.0");
}

TEST_F(MainWindowTest, FirmwareFilesTooLargeForAnyModuleAreNamedAtStartUp) {
    test::FirmwareFolder folder;
    folder.Write("KXB200.bin", BuildFirmwareFile(1, 20, Bytes(256, 0x5A)));
    std::string list = "KXB200.bin\n.\n";
    for (const char* name : {"KXB200-a", "KXB200-b", "KXB200-c", "KXB200-d"}) {
        folder.Write(name, {'x'});
        std::filesystem::resize_file(folder.Path(name), kFirmwareHeader + kMaxFirmwareImage + 1);  // sparse
        list += std::string(name) + "\n";
    }
    folder.List(list);

    Open(folder.Root().string());
    std::vector<std::string> shown;
    clock.OnAdvance([&](std::uint64_t) {
        if (shown.empty() || shown.back() != main->Info().Text()) shown.push_back(main->Info().Text());
    });
    windows.RunFor(10);  // the scan and a discovery that finds no rack
    clock.OnAdvance(nullptr);

    // The folder in the list passes silently as a missing file would; the first three oversized files are named,
    // each with the warning beep, and the usable image spares the operator message 32.
    EXPECT_EQ(windows.beeps, (std::vector<ui::HeadlessWindowSystem::Beeped>(3, {440, 200})));
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back(), "Firmware file KXB200-c refused: larger than 16 MiB.");
    EXPECT_EQ(main->Firmware().FirmwareFilesFound(), 1);
}

}  // namespace
}  // namespace kelvane
