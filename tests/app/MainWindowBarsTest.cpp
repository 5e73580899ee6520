// The main window's menu bar, status bar and message log, on the headless window system.

#include "app/MainMenu.h"
#include "app/TextFormat.h"
#include "tests/app/MainWindowFixture.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <unistd.h>

namespace kelvane {
namespace {

const std::deque<ScriptedPort::Reaction> kTwoModules{
    Identity(23), Accept({0x05, 1, 12, 0x06, 5, 5}), Identity(23),  Identity(12), Identity(5),
    Accept({}),   Accept({0x01, 0x02, 0x03}),        Accept({0x04})};

TEST_F(MainWindowTest, MenuItemsHaveTheirShortcutsAndFollowTheButtonsOfTheirWork) {
    const struct {
        int item;
        const char* text;
        const char* shortcut;
        int button;  // whose state the item follows; 0 for none
    } rows[] = {
        {kSaveConfigItem, "&Save configuration...", "Ctrl+S", res::kSaveButton},
        {kUploadConfigItem, "&Upload configuration...", "Ctrl+O", res::kUploadButton},
        {kQuitItem, "&Quit", "Ctrl+Q", 0},
        {kSearchAgainItem, "&Search again", "F5", res::kDiscoverButton},
        {kConnectToItem, "&Connect to...", "", res::kDiscoverButton},
        {kFirmwareFilesItem, "&Firmware files...", "", 0},
        {kMessagesItem, "&Messages", "", 0},
        {kWindowGuideItem, "Using the &window", "F1", 0},
        {kAboutItem, "&About Kelvane", "", 0},
    };
    // Sampled at every moment of a discovery, while its exchanges run, and after it.
    int samples = 0;
    const auto sample = [&] {
        ++samples;
        for (const auto& row : rows) {
            const bool expected = row.button == 0 || window->IsControlEnabled(row.button);
            ASSERT_EQ(window->IsMenuItemEnabled(row.item), expected) << row.text << " at sample " << samples;
        }
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        const ui::MenuItem* item = window->FindMenuItem(row.item);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->text, row.text);
        EXPECT_EQ(item->shortcut, row.shortcut);
    }
    window->KillTimer(CKelvaneDlg::kStartTimer);
    RackAnswers(kTwoModules);
    bool busySeen = false;
    clock.OnAdvance([&](std::uint64_t) {
        sample();
        busySeen = busySeen || !window->IsMenuItemEnabled(kSearchAgainItem);
    });
    window->ChooseMenuItem(kSearchAgainItem);
    clock.OnAdvance(nullptr);
    sample();
    EXPECT_TRUE(busySeen) << "the search's items were never disabled while it ran";
    EXPECT_TRUE(window->IsMenuItemEnabled(kSaveConfigItem));
    EXPECT_EQ(main->Slots().ModuleCount, 3) << "the menu item ran the discovery";
}

TEST_F(MainWindowTest, MenuItemsOpenTheirWindows) {
    namespace fs = std::filesystem;
    const fs::path readme = fs::temp_directory_path() / ("kelvane-readme-" + std::to_string(getpid()) + ".md");
    std::ofstream(readme)
        << "# Kelvane\n\n## The window\n\nThe `module`\nlist.\n\n| menu | key |\n|---|---|\n| File | F1 |\n"
           "\n## kelvane-cli\n\nNot this.\n";
    main->SetGuideFiles({"/nonexistent/README.md", readme});
    window->KillTimer(CKelvaneDlg::kStartTimer);
    RackAnswers(kTwoModules);
    main->DiscoverRack();

    std::string aboutText;
    windows.onModal = [&](ui::HeadlessDialog& dialog) {
        aboutText = dialog.Caption() + "\n" + dialog.Text(res::kAboutText);
        dialog.Click(res::kAboutOkButton);
    };
    const struct {
        int item;
        std::function<std::string()> shown;
        std::vector<std::string> expected;
    } rows[] = {
        {kAboutItem,
         [&] { return aboutText; },
         {"About Kelvane\nKelvane 5.1", "Copyright 2026 Telquine", "Windows drawn with Headless", "/nonexistent"}},
        {kFirmwareFilesItem,
         [&] { return windows.Find(res::kTextWindowDialog)->Text(res::kTextWindowText); },
         {"/nonexistent/firmware/KXR.FRM", "The list was not found"}},
        {kWindowGuideItem,
         [&] { return windows.Find(res::kTextWindowDialog)->Text(res::kTextWindowText); },
         {"The window\n\nThe module list.\n\n  menu   key\n  File   F1\n"}},
        {kMessagesItem,
         [&] { return windows.Find(res::kTextWindowDialog)->Text(res::kTextWindowText); },
         {"Rack found on COM0"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item);
        ASSERT_TRUE(window->ChooseMenuItem(row.item));
        const std::string shown = row.shown();
        for (const std::string& part : row.expected) EXPECT_NE(shown.find(part), std::string::npos) << shown;
    }
    EXPECT_EQ(windows.Find(res::kTextWindowDialog)->Caption(), "Messages");
    EXPECT_EQ(windows.Find(res::kTextWindowDialog)->Text(res::kTextWindowText).find("Not this"), std::string::npos);
    fs::remove(readme);

    // The signal history is the pair's: offered only while a pair's panel is on show.
    EXPECT_FALSE(window->ChooseMenuItem(kSignalHistoryItem));
    main->SelectSlot(1);
    EXPECT_TRUE(window->ChooseMenuItem(kSignalHistoryItem));
    EXPECT_EQ(calls.back().what, "history");
    main->SelectSlot(0);
    EXPECT_FALSE(window->IsMenuItemEnabled(kSignalHistoryItem));

    // Quit is the close box's way out: panels closed, timers stopped.
    ASSERT_TRUE(window->ChooseMenuItem(kQuitItem));
    EXPECT_FALSE(windows.TimerActive(*window, CKelvaneDlg::kSupervisionTimer));
}

// The bar says what holds until it changes: the search, the rack found, a lost link, the last write.
TEST_F(MainWindowTest, StatusBarKeepsTheLinksStateAndTheLastWrite) {
    const std::string sent = "Sent to KXB200 (row 1), at 12:00:00.";
    const struct {
        const char* step;
        std::function<void()> act;
        std::vector<std::string> fields;
    } rows[] = {
        {"created", [] {}, {"Searching for the rack...", "", "", ""}},
        {"no rack", [&] { windows.RunFor(10); }, {"No rack - still searching", "", "", ""}},
        {"searching again", [&] { windows.RunFor(3000); }, {"No rack - still searching", "", "", ""}},
        {"found",
         [&] {
             RackAnswers(kTwoModules);
             windows.RunFor(1000);
         },
         {"Connected", "KXRRack on COM0", "2 modules", ""}},
        {"written",
         [&] {
             calls.clear();
             dynamic_cast<test::StandInModulePanel&>(main->Panel()).services->sent(sent);
         },
         {"Connected", "KXRRack on COM0", "2 modules", sent}},
        {"message area moves on",
         [&] {
             main->Info().ShowInfo("Something else", false, 100);
             windows.RunFor(5000);
         },
         {"Connected", "KXRRack on COM0", "2 modules", sent}},
        {"link lost",
         [&] {
             ports.Install(0, {});
             link.SetLinkLost(true);
             windows.RunFor(2100);
         },
         {"Link lost - searching...", "KXRRack on COM0", "", sent}},
        {"back, on an entry that names its rack",
         [&] {
             ports.rackNames[0] = "Mont Aigoual";
             RackAnswers(kTwoModules);
             windows.RunFor(1000);
         },
         {"Connected", "Mont Aigoual, KXRRack on COM0", "2 modules", sent}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.step);
        row.act();
        EXPECT_EQ(window->StatusFields(), row.fields);
    }
    EXPECT_EQ(window->Caption(), "Kelvane \u2014 Mont Aigoual, KXRRack on COM0") << "the title says the name too";
}

// Nothing the window said is lost when the next message replaces it, however long the program runs.
TEST(MessageLog, KeepsEveryMessageWithItsTimeWithinItsBound) {
    SetLanguageIndex(kEnglish);
    const std::time_t at = 1'700'000'000;
    const std::string time = LocalTimeOfDay(at);
    const struct {
        const char* name;
        std::vector<std::string> shown;
        std::size_t entries;
        std::string expected;  // the start of the log's text
    } rows[] = {
        {"one", {"Searching..."}, 1, time + "  Searching...\n"},
        {"cleared area is no message", {"A", "", "B"}, 2, time + "  A\n" + LocalTimeOfDay(at + 2) + "  B\n"},
        {"lines indented", {"Two\r\nlines"}, 1, time + "  Two\n          lines\n"},
        {"repeats counted",
         {"No rack", "No rack", "No rack"},
         1,
         time + "  No rack\n          (3 times, last at " + LocalTimeOfDay(at + 2) + ")\n"},
        {"bounded", std::vector<std::string>(MessageLog::kMostKept + 5), MessageLog::kMostKept,
         "(5 older messages no longer kept)\n" + time},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        MessageLog log;
        std::time_t second = at;
        std::size_t k = 0;
        for (const std::string& text : row.shown) {
            // The bound's row shows distinct messages, all in the same second.
            log.Add(text.empty() && row.entries == MessageLog::kMostKept ? "m" + std::to_string(k++) : text,
                    row.entries == MessageLog::kMostKept ? at : second++);
        }
        EXPECT_EQ(log.Entries().size(), row.entries);
        EXPECT_EQ(log.Text().substr(0, row.expected.size()), row.expected);
    }
}

// Every message the area showed reaches the log, the firmware upgrade's lines with them, and an open log
// window follows it.
TEST_F(MainWindowTest, MessageLogHoldsWhatTheAreaShowedAndItsWindowFollows) {
    windows.RunFor(10);
    ASSERT_TRUE(window->ChooseMenuItem(kMessagesItem));
    main->Info().ShowInfo("KXB200 : Sending...", false, 20000);
    main->Info().ShowInfo("KXB200 : OK", false, 2000);
    const std::string shown = main->LogWindow()->Text(res::kTextWindowText);
    for (const std::string& part : {MessageText(kSearchingMessage), MessageText(kNoFirmwareMessage),
                                    std::string("KXB200 : Sending..."), std::string("KXB200 : OK")}) {
        EXPECT_NE(shown.find(part), std::string::npos) << part << " in\n" << shown;
    }
    EXPECT_EQ(main->Log().Entries().back().text, "KXB200 : OK");
    main->Info().ShowInfo("KXB200 : OK", false, 2000);
    EXPECT_EQ(main->LogWindow()->Text(res::kTextWindowText), shown) << "a repeat rewrote the open window";
    EXPECT_EQ(main->Log().Entries().back().times, 2);
}

}  // namespace
}  // namespace kelvane
