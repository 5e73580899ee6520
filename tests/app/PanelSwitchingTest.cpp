#include "app/MessageCatalogue.h"
#include "res/ModulePanelIds.h"
#include "tests/app/StandInProgram.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::PanelCall;

class PanelSwitchingTest : public ::testing::Test, protected test::StandInProgram {
protected:
    void SetUp() override {
        SetLanguageIndex(kEnglish);
        Open();
        // These tests start from a rack already discovered: no discovery of their own.
        window->KillTimer(CKelvaneDlg::kStartTimer);
    }

    // A rack already discovered with these module types, row 0 being the controller.
    void Rack(std::initializer_list<std::uint8_t> types) {
        SlotTable& slots = main->Slots();
        std::uint8_t row = 0;
        for (const std::uint8_t type : types) {
            slots[row].Type = type;
            slots[row].Address = row;
            ++row;
        }
        slots.ModuleCount = row;
    }

    // The loads the panel received, skipping the closing calls every switch makes first.
    std::vector<PanelCall> Loads() const {
        std::vector<PanelCall> loads;
        for (const PanelCall& c : calls) {
            if (c.what == "load" || c.what == "open cam") loads.push_back(c);
        }
        return loads;
    }

    int Image(int row) const { return window->Cell(res::kModuleList, row, 0).image; }
    const SlotRecord* Record(int row) { return &main->Slots()[row]; }
};

TEST_F(PanelSwitchingTest, InputWithCiThenOutputFormsOnePairFromEitherSide) {
    Rack({0, 1, 3, 2});
    main->SelectSlot(1);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 1, Record(1), Record(3)}}));
    EXPECT_EQ(Image(1), 3);  // input highlighted
    EXPECT_EQ(Image(2), 6);  // the CI module keeps its normal image
    EXPECT_EQ(Image(3), 5);  // output highlighted
    EXPECT_EQ(main->CurrentSlot(), 1);

    calls.clear();
    main->SelectSlot(3);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 1, Record(1), Record(3)}}));
    EXPECT_EQ(calls.front().what, "hide");  // the open panel is closed first

    calls.clear();
    main->SelectSlot(2);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"open cam", -1, Record(2)}}));
    EXPECT_EQ(Image(2), 7);
    EXPECT_EQ(Image(1), 2);
    EXPECT_EQ(Image(3), 4);
    EXPECT_TRUE(windows.Find(res::kCamDialog)->IsShown());
    EXPECT_FALSE(windows.Find(res::kModulePanelDialog)->IsShown());
}

TEST_F(PanelSwitchingTest, BackwardScanSkipsEarlierOutputsAndCountsEveryCi) {
    Rack({0, 1, 3, 5, 3, 6});
    main->SelectSlot(1);
    main->SelectSlot(5);
    EXPECT_EQ(window->ControlState(res::kModuleList).scrolledTo, 1);  // the pair's input is brought into view
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 1, Record(1), Record(3)}, {"load", 2, Record(1), Record(5)}}));
}

TEST_F(PanelSwitchingTest, OutputWithoutInputShowsMessage33AndNoPanel) {
    Rack({0, 2});
    main->SelectSlot(1);
    EXPECT_TRUE(Loads().empty());
    EXPECT_EQ(main->Info().Text(), "Configuration require input and output modules.");
    EXPECT_FALSE(windows.Find(res::kModulePanelDialog)->IsShown());
    EXPECT_TRUE(window->IsControlShown(res::kBackgroundPicture));
    windows.RunFor(CInfo::ReadingTimeMs(main->Info().Text()));
    EXPECT_EQ(main->Info().Text(), "");
}

TEST_F(PanelSwitchingTest, InputFollowedByInputHasNoOutput) {
    Rack({0, 1, 4});
    main->SelectSlot(1);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 0, Record(1), nullptr}}));
    EXPECT_EQ(Image(1), 3);
    EXPECT_EQ(Image(2), 2);
}

TEST_F(PanelSwitchingTest, ForwardScanStopsAtTheLastDiscoveredRow) {
    // A record left behind by an earlier, longer discovery must not be paired.
    Rack({0, 1, 3, 2});
    main->Slots().ModuleCount = 3;
    main->SelectSlot(1);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 1, Record(1), nullptr}}));
}

TEST_F(PanelSwitchingTest, ControllerRowIsHighlightedOnceAndClosesPanels) {
    Rack({0, 1, 2});
    main->SelectSlot(1);
    calls.clear();
    main->SelectSlot(0);
    EXPECT_EQ(Image(0), 1);
    EXPECT_EQ(Image(1), 2);
    EXPECT_EQ(Image(2), 4);
    EXPECT_TRUE(Loads().empty());
    EXPECT_FALSE(windows.Find(res::kModulePanelDialog)->IsShown());
    EXPECT_TRUE(window->IsControlShown(res::kBackgroundPicture));

    calls.clear();
    const int repaints = window->Repaints();
    main->SelectSlot(0);
    EXPECT_TRUE(calls.empty());
    EXPECT_GT(window->Repaints(), repaints);
}

TEST_F(PanelSwitchingTest, ClickBelowTheRowsClosesEverythingAndHighlightsNothing) {
    Rack({0, 1, 3, 2});
    main->SelectSlot(1);
    window->Click(res::kModuleList, -1);
    EXPECT_EQ(main->CurrentSlot(), -1);
    for (int row = 0; row < 4; ++row) EXPECT_EQ(Image(row) % 2, 0) << row;
    EXPECT_FALSE(windows.Find(res::kModulePanelDialog)->IsShown());
    EXPECT_FALSE(windows.Find(res::kCamDialog)->IsShown());
}

TEST_F(PanelSwitchingTest, ClickOnARowSelectsItsPanelAndLeavesNoSelection) {
    Rack({0, 1, 3, 2});
    window->SetRowSelected(res::kModuleList, 3, true);
    window->Click(res::kModuleList, 3);
    EXPECT_EQ(Loads(), (std::vector<PanelCall>{{"load", 1, Record(1), Record(3)}}));
    EXPECT_TRUE(window->SelectedRows(res::kModuleList).empty());
}

TEST_F(PanelSwitchingTest, PanelPlacementAndTheMessageArea) {
    Rack({0, 1, 3, 2});
    ui::HeadlessDialog* info = windows.Find(res::kInfoDialog);
    main->SelectSlot(1);
    EXPECT_EQ(windows.Find(res::kModulePanelDialog)->Bounds().x, 136);
    EXPECT_EQ(windows.Find(res::kModulePanelDialog)->Bounds().y, 0);
    EXPECT_FALSE(info->IsShown());  // the module panel takes the message area's place
    EXPECT_FALSE(window->IsControlShown(res::kBackgroundPicture));

    // A message over the open panel goes when its time runs out, leaving the panel whole again.
    main->Info().ShowInfo("Preparing list...", false, 2000);
    EXPECT_TRUE(info->IsShown());
    windows.RunFor(CInfo::ReadingTimeMs("Preparing list..."));
    EXPECT_FALSE(info->IsShown());

    main->SelectSlot(2);
    EXPECT_FALSE(info->IsShown());  // nothing to say yet: no empty box
    main->Info().ShowInfo("CAM menu", false, 2000);
    EXPECT_TRUE(info->IsShown());
    EXPECT_EQ(info->Bounds().x, 136);
    EXPECT_EQ(info->Bounds().y, 482);
    EXPECT_EQ(windows.Find(res::kCamDialog)->Bounds().x, 136);
}

TEST_F(PanelSwitchingTest, ClosingTheWindowClosesThePanelFirst) {
    Rack({0, 1, 2});
    main->SelectSlot(1);
    calls.clear();
    window->CloseBox();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.front().what, "hide");
    EXPECT_EQ(main->CurrentSlot(), CKelvaneDlg::kNoSlot);
}

// The keyboard alone works the window: Tab runs through the list, the buttons and the panel on show with its
// service list; Enter on a row opens it; Escape closes the panel or the CAM menu and leaves the keys on the list.
// Neither closes the window.
TEST_F(PanelSwitchingTest, TheKeyboardReachesTheListAndThePanels) {
    using Key = ui::HeadlessDialog::Key;
    Rack({0, 1, 3, 2});
    std::vector<int> order;
    for (int k = 0; k < 5; ++k) {
        windows.PressTab(*window);
        order.push_back(window->FocusedControl());
    }
    EXPECT_EQ(order, (std::vector<int>{res::kModuleList, res::kDiscoverButton, res::kUploadButton, res::kSaveButton,
                                       res::kModuleList}));
    window->PressEnter();
    EXPECT_TRUE(Loads().empty()) << "Enter off the list opens nothing";

    const struct {
        int row;
        int escapeOn;
        const char* closed;
    } cases[] = {{3, res::kModuleList, "hide"}, {2, res::kSaveButton, "close cam"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        calls.clear();
        window->PressKey(res::kModuleList, Key::Enter, c.row);
        ASSERT_EQ(Loads().size(), 1u);
        EXPECT_EQ(Loads().front().first, Record(c.row == 3 ? 1 : 2));
        if (c.row == 3) {
            ui::HeadlessDialog& panel = *windows.Find(res::kModulePanelDialog);
            bool reached = false;
            for (int k = 0; k < 200 && !reached; ++k) {
                windows.PressTab(*window);
                reached = panel.FocusedControl() == res::panel::kServiceList;
            }
            EXPECT_TRUE(reached) << "Tab never reached the service list";
            EXPECT_EQ(window->FocusedControl(), 0) << "the focus is in one place only";
        }
        calls.clear();
        window->PressKey(c.escapeOn, Key::Escape);
        EXPECT_NE(std::find(calls.begin(), calls.end(), PanelCall{c.closed}), calls.end());
        EXPECT_EQ(main->CurrentSlot(), CKelvaneDlg::kNoSlot);
        EXPECT_EQ(window->FocusedControl(), res::kModuleList);
    }
    EXPECT_TRUE(window->IsShown());
}

}  // namespace
}  // namespace kelvane
