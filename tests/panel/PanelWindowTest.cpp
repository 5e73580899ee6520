// The module panel in the main window, on the headless window system, talking to a simulated rack.

#include "app/KelvaneDlg.h"
#include "app/MessageCatalogue.h"
#include "cam/OpenCam.h"
#include "link/Xmit.h"
#include "panel/SatCofdm.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/support/EnginePort.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace res::panel;
using Bytes = std::vector<std::uint8_t>;

class PanelWindowTest : public ::testing::Test {
protected:
    void Start(const sim::RackDescription& rack = sim::DefaultRack()) {
        SetLanguageIndex(kEnglish);
        engine = std::make_unique<sim::RackEngine>(rack);
        ports = std::make_unique<test::EnginePortOpener>(*engine, clock);
        link = std::make_unique<CXmit>(*ports, clock);
        auto panel = std::make_unique<CSatCofdm>(windows);
        satCofdm = panel.get();
        main = std::make_unique<CKelvaneDlg>(windows, *link, "/nonexistent", std::move(panel),
                                             std::make_unique<COpenCam>(windows));
        main->Create();
        mainWindow = windows.Find(res::kMainDialog);
        mainWindow->KillTimer(CKelvaneDlg::kStartTimer);
        main->DiscoverRack();
        panelWindow = windows.Find(res::kModulePanelDialog);
    }

    void Open(int row) { mainWindow->Click(res::kModuleList, row); }

    // Requests of `command` that reached the module at `address` since the log was last cleared.
    std::size_t Count(std::uint8_t address, std::uint8_t command) const {
        std::size_t n = 0;
        for (const sim::Request& r : engine->RequestLog()) n += r.destination == address && r.Command() == command;
        return n;
    }
    std::size_t Writes() const {
        std::size_t n = 0;
        for (const sim::Request& r : engine->RequestLog()) n += r.Command() == 0x50 || r.Command() == 0x80;
        return n;
    }
    const Bytes& ImageOf(std::uint8_t address) const { return engine->Find(address)->Config(); }
    bool Shown(int control) const { return panelWindow->IsControlShown(control); }

    VirtualClock clock;
    ui::HeadlessWindowSystem windows{clock};
    std::unique_ptr<sim::RackEngine> engine;
    std::unique_ptr<test::EnginePortOpener> ports;
    std::unique_ptr<CXmit> link;
    std::unique_ptr<CKelvaneDlg> main;
    CSatCofdm* satCofdm = nullptr;
    ui::HeadlessDialog* mainWindow = nullptr;
    ui::HeadlessDialog* panelWindow = nullptr;
};

TEST_F(PanelWindowTest, OpeningEveryPairAndPollingWritesNothing) {
    Start();
    ASSERT_EQ(main->Slots().ModuleCount, 8);
    for (const int row : {1, 3, 4, 5, 6, 7, 1}) {
        Open(row);
        windows.RunFor(4200);  // the first poll and four more
    }
    mainWindow->Click(res::kModuleList, 0);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_GT(Count(1, 0x40), 5u);  // the panel did poll
}

TEST_F(PanelWindowTest, OneChannelOutputShowsModeAndOneChannel) {
    Start();
    Open(6);
    EXPECT_TRUE(panelWindow->IsShown());
    EXPECT_EQ(satCofdm->Model().OutputChannelCount, 1);
    EXPECT_TRUE(Shown(kOutFreq[0]));
    EXPECT_FALSE(Shown(kOutFreq[1]));
    EXPECT_TRUE(Shown(kMode));
    EXPECT_FALSE(Shown(kFecA));  // a KXB210 has no FEC choice
    EXPECT_FALSE(Shown(kFreqB));
    EXPECT_EQ(panelWindow->Text(kOutFreq[0]), "522000");
    EXPECT_EQ(panelWindow->Text(kModulationCaption), "MODULATION");
    EXPECT_EQ(panelWindow->Text(kNetworkName), "Kelvane C");
}

TEST_F(PanelWindowTest, TwoAndFourChannelOutputsAndThePlayer) {
    Start();
    Open(1);
    EXPECT_EQ(satCofdm->Model().CamCount, 1);
    EXPECT_TRUE(Shown(kOutFreq[1]));
    EXPECT_FALSE(Shown(kOutFreq[2]));
    EXPECT_FALSE(Shown(kMode));
    EXPECT_TRUE(Shown(kFecA));
    EXPECT_EQ(panelWindow->Text(kFecLabelA), "F.E.C. :");
    EXPECT_EQ(panelWindow->Text(kOutFreq[1]), "482000");

    Open(4);
    EXPECT_TRUE(Shown(kOutFreq[3]));
    EXPECT_TRUE(Shown(kFreqB));
    EXPECT_TRUE(Shown(kScheduleList));
    EXPECT_EQ(panelWindow->Text(kFecLabelA), "Polarity :");
    EXPECT_EQ(panelWindow->ItemCount(kFecA), 2);
    EXPECT_EQ(panelWindow->RowCount(kScheduleList), 2);
    EXPECT_EQ(panelWindow->Cell(kScheduleList, 0, 1).text, "8:00");
    EXPECT_EQ(panelWindow->Cell(kScheduleList, 0, 3).text, "journal_0800.ts");
    // The times stand centred under "De" and "à", the file name from the left.
    const auto& columns = panelWindow->ControlState(kScheduleList).columns;
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[1], (ui::ListColumn{"De", 40, ui::ColumnAlign::Centre}));
    EXPECT_EQ(columns[2], (ui::ListColumn{"\xC3\xA0", 40, ui::ColumnAlign::Centre}));
    EXPECT_EQ(columns[3].align, ui::ColumnAlign::Left);
}

TEST_F(PanelWindowTest, InputWithoutOutputShowsActivation) {
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules.erase(rack.modules.begin() + 6);  // the KXB210 loses its output
    Start(rack);
    Open(6);
    EXPECT_EQ(satCofdm->Model().OutputChannelCount, 0);
    EXPECT_FALSE(Shown(kOutFreq[0]));
    EXPECT_FALSE(Shown(kNetworkFrame));
    EXPECT_FALSE(Shown(kLcnCaption));
    EXPECT_FALSE(Shown(kChannelRateBar[0]));
    EXPECT_EQ(panelWindow->Text(kModulationCaption), "ACTIVATION");
}

TEST_F(PanelWindowTest, StatusLightsLocksAndFillsTheServiceList) {
    Start();
    Open(1);
    windows.RunFor(8200);
    EXPECT_EQ(panelWindow->ControlState(kLampA).bitmap, res::kGreenLampBitmap);
    EXPECT_NE(panelWindow->Text(kLevelNumberA), "0");
    ASSERT_GT(panelWindow->RowCount(kServiceList), 4);
    // Every configured service has a name from the input, and the channel labels show live figures.
    for (int row = 0; row < panelWindow->RowCount(kServiceList); ++row) {
        EXPECT_FALSE(panelWindow->Cell(kServiceList, row, 4).text.empty()) << row;
    }
    EXPECT_NE(panelWindow->Text(kChannelRateLabel[0]).find("Kbit/s"), std::string::npos);
    EXPECT_FALSE(panelWindow->ControlState(kRateBar).drawing.empty());
}

TEST_F(PanelWindowTest, OutputFrequencyEditReachesTheModuleAtTheNextTick) {
    Start();
    Open(6);
    windows.RunFor(1200);
    panelWindow->Type(kOutFreq[0], "506000");
    EXPECT_EQ(Count(7, 0x50), 0u);  // edits only mark; the tick sends
    windows.RunFor(1000);
    ASSERT_EQ(Count(7, 0x50), 1u);
    EXPECT_EQ(Count(7, 0x80), 1u);
    const Bytes& image = ImageOf(7);
    EXPECT_EQ(image[0] << 8 | image[1], 506000 / 125);
    EXPECT_EQ(Count(6, 0x50), 0u);  // the input did not change
    EXPECT_EQ(panelWindow->Text(kOutFreq[0]), "506000");
    windows.RunFor(3000);
    EXPECT_EQ(Count(7, 0x50), 1u);  // sent once
}

TEST_F(PanelWindowTest, InputEditRestartsTheOutputsItFeeds) {
    Start();
    Open(1);
    windows.RunFor(1200);
    panelWindow->Type(kFreqA, "11720");
    windows.RunFor(1000);
    EXPECT_EQ(Count(1, 0x50), 1u);
    EXPECT_GE(Count(3, 0x80), 1u);
    const Bytes& image = ImageOf(1);
    EXPECT_EQ(image[0] << 8 | image[1], 0x8000 | (11720 - 10600));
}

TEST_F(PanelWindowTest, AnImageThatCouldNotBeReadIsNeverWrittenOver) {
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules[5].config.clear();  // the KXB210 answers with no image
    Start(rack);
    ASSERT_EQ(main->Slots()[6].ConfigLength, 0);
    Open(6);
    windows.RunFor(1200);
    panelWindow->Type(kOutFreq[0], "506000");
    panelWindow->Type(kFreqA, "11000");
    windows.RunFor(1000);
    EXPECT_EQ(Count(6, 0x50), 0u);
    EXPECT_TRUE(ImageOf(6).empty());
    EXPECT_EQ(Count(7, 0x50), 1u);  // the output, whose image is known, takes its edit
}

TEST_F(PanelWindowTest, InvalidValuesAreRedAndLettersBecomeZero) {
    Start();
    Open(6);
    panelWindow->Type(kFreqA, "9000");
    EXPECT_EQ(panelWindow->ControlState(kFreqA).colors.text, (ui::Color{255, 0, 0}));
    panelWindow->Type(kFreqA, "12000");
    EXPECT_EQ(panelWindow->ControlState(kFreqA).colors.text, (ui::Color{0, 0, 0}));
    panelWindow->Type(kNetworkId, "12x");
    windows.RunFor(1200);
    EXPECT_EQ(panelWindow->Text(kNetworkId), "0");
    EXPECT_EQ(satCofdm->Model().NetworkId, 0);
}

TEST_F(PanelWindowTest, LeavingThePanelSendsPendingEdits) {
    Start();
    Open(6);
    windows.RunFor(1200);
    panelWindow->Slide(kLevelSlider, 30, true);
    EXPECT_EQ(panelWindow->Text(kLevelLabel), "0dB");
    mainWindow->Click(res::kModuleList, 0);
    EXPECT_EQ(Count(7, 0x50), 1u);
    EXPECT_EQ(ImageOf(7)[7], 255);
    EXPECT_FALSE(panelWindow->IsShown());
}

TEST_F(PanelWindowTest, ChannelDoubleClickMovesAServiceAndLcnEditsThroughTheCellEditor) {
    Start();
    Open(1);
    windows.RunFor(8200);
    const PanelModel& m = satCofdm->Model();
    int row = -1;
    for (int r = 0; r < m.ServiceRowCount; ++r) {
        if (m.ServiceRows[r].ServiceId == 1101) row = r;
    }
    ASSERT_GE(row, 0);
    panelWindow->SetRowSelected(kServiceList, row, true);
    panelWindow->DoubleClick(kServiceList, row, 12);  // onto channel 2
    EXPECT_EQ(panelWindow->Cell(kServiceList, row, 12).image, 1);

    panelWindow->DoubleClick(kServiceList, row, 15);
    ui::HeadlessCellEditor* editor = panelWindow->ActiveCellEditor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Text(), "1");
    editor->Type("42");
    panelWindow->PressEditorKey(ui::EditorKey::Enter);
    EXPECT_EQ(panelWindow->ActiveCellEditor(), nullptr);
    EXPECT_EQ(panelWindow->Cell(kServiceList, row, 15).text, "42");

    windows.RunFor(1000);
    EXPECT_EQ(Count(3, 0x50), 1u);
    const PanelModel& after = satCofdm->Model();
    bool found = false;
    for (int k = 0; k < after.OutputServiceCount; ++k) {
        if (after.OutputServices[k].ServiceId == 1101) {
            found = true;
            EXPECT_EQ(after.OutputServices[k].OutputChannel, 2);
            EXPECT_EQ(after.OutputServices[k].Lcn, 42);
        }
    }
    EXPECT_TRUE(found);
}

TEST_F(PanelWindowTest, CancelledLcnEditChangesNothing) {
    Start();
    Open(1);
    windows.RunFor(8200);
    panelWindow->DoubleClick(kServiceList, 0, 15);
    ASSERT_NE(panelWindow->ActiveCellEditor(), nullptr);
    panelWindow->ActiveCellEditor()->Type("77");
    panelWindow->PressEditorKey(ui::EditorKey::Escape);
    EXPECT_FALSE(satCofdm->OperatorEdited());
    windows.RunFor(2000);
    EXPECT_EQ(Writes(), 0u);
}

TEST_F(PanelWindowTest, PlayerScheduleTakesAnEntryFromTheModulesFiles) {
    Start();
    Open(4);
    windows.RunFor(1200);
    ASSERT_GT(panelWindow->ItemCount(kFileCombo), 0);
    panelWindow->PickTime(kStartPicker, 14 * 60);
    panelWindow->PickTime(kEndPicker, 15 * 60);
    EXPECT_TRUE(panelWindow->IsControlEnabled(kAddEntry));
    panelWindow->Click(kAddEntry);
    EXPECT_EQ(panelWindow->RowCount(kScheduleList), 3);
    EXPECT_EQ(panelWindow->Cell(kScheduleList, 2, 1).text, "14:00");
    windows.RunFor(1000);
    EXPECT_EQ(Count(4, 0x50), 1u);
}

}  // namespace
}  // namespace kelvane
