// The module panel in the main window, on the headless window system, talking to a simulated rack.

#include "app/MessageCatalogue.h"
#include "panel/OutputConfigCodec.h"
#include "panel/ServiceList.h"
#include "res/ModulePanelIds.h"
#include "res/ResourceIds.h"
#include "sim/ConfigImages.h"
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/support/FullOutputRack.h"
#include "tests/support/ProgramWindow.h"
#include "ui/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using namespace res::panel;
using Bytes = std::vector<std::uint8_t>;

class PanelWindowTest : public ::testing::Test, protected test::HeadlessProgram {
protected:
    void SetUp() override { SetLanguageIndex(kEnglish); }

    void Open(int row) { mainWindow->Click(res::kModuleList, row); }
    // Types a whole value and takes it with Enter, as an operator does.
    void Commit(int control, const std::string& text) {
        panelWindow->Type(control, text);
        panelWindow->PressEnter();
    }

    // Requests of `command` that reached the module at `address` since the log was last cleared.
    std::size_t Count(std::uint8_t address, std::uint8_t command) const {
        return program.rack->Requests(address, command);
    }
    std::size_t Writes() const { return program.rack->Writes(); }
    const Bytes& ImageOf(std::uint8_t address) const { return program.rack->engine.Find(address)->Config(); }
    std::string InfoText() const { return windows.Find(res::kInfoDialog)->Text(res::kInfoText); }
    bool Shown(int control) const { return panelWindow->IsControlShown(control); }
    // Picks a schedule entry's hours and clicks "+" as an operator would; whether "+" was on to be clicked.
    bool AddScheduleEntry(int startHour, int endHour) {
        panelWindow->PickTime(kStartPicker, startHour * 60);
        panelWindow->PickTime(kEndPicker, endHour * 60);
        const bool enabled = panelWindow->IsControlEnabled(kAddEntry);
        panelWindow->Click(kAddEntry);
        return enabled;
    }
};

TEST_F(PanelWindowTest, OpeningEveryPairAndPollingWritesNothing) {
    Start();
    ASSERT_EQ(program.main->Slots().ModuleCount, 8);
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
    EXPECT_EQ(program.satCofdm->Model().OutputChannelCount, 1);
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
    EXPECT_EQ(program.satCofdm->Model().CamCount, 1);
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
    EXPECT_EQ(program.satCofdm->Model().OutputChannelCount, 0);
    EXPECT_FALSE(Shown(kOutFreq[0]));
    EXPECT_FALSE(Shown(kNetworkFrame));
    EXPECT_FALSE(Shown(kLcnCaption));
    EXPECT_FALSE(Shown(kChannelRateBar[0]));
    EXPECT_EQ(panelWindow->Text(kModulationCaption), "ACTIVATION");
}

TEST_F(PanelWindowTest, StatusLightsLocksAndFillsTheServiceList) {
    Start();
    Open(1);
    // Before the first poll there are no figures, and none is made up.
    for (const int control : {kChannelRateLabel[0], kChannelRateBar[0], kLevelBarA, kLevelNumberA, kSnrBarA}) {
        EXPECT_FALSE(Shown(control)) << control;
    }
    windows.RunFor(8200);
    for (const int control : {kChannelRateLabel[0], kChannelRateBar[0], kLevelBarA, kLevelNumberA, kSnrBarA}) {
        EXPECT_TRUE(Shown(control)) << control;
    }
    EXPECT_FALSE(Shown(kLevelBarB));  // a tuner of one row
    EXPECT_EQ(panelWindow->ControlState(kLampA).bitmap, res::kGreenLampBitmap);
    EXPECT_NE(panelWindow->Text(kLevelNumberA), "0");
    ASSERT_GT(panelWindow->RowCount(kServiceList), 4);
    // Every configured service has a name from the input, and the channel labels show live figures.
    for (int row = 0; row < panelWindow->RowCount(kServiceList); ++row) {
        EXPECT_FALSE(panelWindow->Cell(kServiceList, row, 4).text.empty()) << row;
        // Every picture says what it means while the mouse rests on it.
        const bool scrambled = panelWindow->Cell(kServiceList, row, 6).image == kClosedPadlockImage;
        EXPECT_EQ(panelWindow->CellToolTip(kServiceList, row, 6), scrambled ? "Scrambled: needs a CAM" : "Free to air");
        const std::string channel = panelWindow->CellToolTip(kServiceList, row, kFirstChannelColumn + 1);
        EXPECT_TRUE(channel == "On output channel 2 (double-click to take it off)" ||
                    channel == "Not on output channel 2 (double-click to put it there)")
            << channel;
    }
    EXPECT_EQ(panelWindow->CellToolTip(kServiceList, 0, 5), "Television service");
    EXPECT_NE(panelWindow->Text(kChannelRateLabel[0]).find("Kbit/s"), std::string::npos);
    EXPECT_FALSE(panelWindow->ControlState(kRateBar).drawing.empty());
}

TEST_F(PanelWindowTest, OutputFrequencyEditReachesTheModuleAtTheNextTick) {
    Start();
    Open(6);
    windows.RunFor(8200);  // locked, and the names read
    Commit(kOutFreq[0], "506000");
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

    // The section's content changed with the frequency: receivers see it under the next version, and so does
    // the operator. A version the operator typed is kept as typed.
    const auto version = [&] { return (NetworkSectionOf(program.main->Slots()[7])[5] >> 1) & 0x1F; };
    EXPECT_EQ(version(), 3);
    EXPECT_EQ(panelWindow->Text(kNitVersion), "3");
    Commit(kNitVersion, "9");
    Commit(kOutFreq[0], "514000");
    windows.RunFor(1000);
    EXPECT_EQ(version(), 9);
    EXPECT_EQ(panelWindow->Text(kNitVersion), "9");
    Commit(kNetworkId, "4242");
    windows.RunFor(1000);
    EXPECT_EQ(version(), 10);
    EXPECT_EQ(Count(7, 0x50), 3u);
}

TEST_F(PanelWindowTest, InputEditRestartsTheOutputsItFeeds) {
    Start();
    Open(1);
    windows.RunFor(1200);
    Commit(kFreqA, "11720");
    windows.RunFor(1000);
    EXPECT_EQ(Count(1, 0x50), 1u);
    EXPECT_GE(Count(3, 0x80), 1u);
    const Bytes& image = ImageOf(1);
    EXPECT_EQ(image[0] << 8 | image[1], 0x8000 | (11720 - 10600));
}

TEST_F(PanelWindowTest, AChangeThatCannotBeWrittenIsToldAndTheModulesHoldingsShown) {
    // An input whose image could not be read: nothing of the pair is written, since the output's activation
    // follows the input's services.
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules[5].config.clear();  // the KXB210 answers with no image
    Start(rack);
    ASSERT_EQ(program.main->Slots()[6].ConfigLength, 0);
    Open(6);
    windows.RunFor(1200);
    Commit(kOutFreq[0], "506000");
    Commit(kFreqA, "11000");
    windows.RunFor(1000);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_TRUE(ImageOf(6).empty());
    EXPECT_EQ(InfoText(), "KXB210 in row 6: change not sent, its configuration could not be read.");
    EXPECT_EQ(panelWindow->Text(kOutFreq[0]), "522000");  // what the output really holds
    EXPECT_FALSE(windows.beeps.empty());
    windows.RunFor(3000);
    EXPECT_EQ(Writes(), 0u);  // and nothing goes later either

    // An output image that would pass 1024 bytes, in the operator's language.
    Start(test::RackWithAFullOutput());
    SetLanguageIndex(kFrench);
    Open(6);
    windows.RunFor(1200);
    Commit(kNetworkName, std::string(30, 'N'));
    windows.RunFor(1000);
    EXPECT_EQ(Writes(), 0u);
    EXPECT_EQ(InfoText(),
              "KXD400 ligne 7 : modification non envoy\u00e9e, sa configuration d\u00e9passerait 1024 octets.");
    EXPECT_EQ(panelWindow->Text(kNetworkName), "Kelvane C");
    SetLanguageIndex(kEnglish);
}

TEST_F(PanelWindowTest, NamesThatDidNotComeNeverEmptyATable) {
    // The player with no output behind it: its rows would be rebuilt from the names.
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules.erase(rack.modules.begin() + 4);
    Start(rack);
    // Its names reply comes cut, inside its first row (a lost reply would end the link and the panel).
    program.rack->ports.filter = [](const sim::Request& request, sim::Reply reply) -> std::optional<sim::Reply> {
        if (request.destination == 4 && request.Command() == 0x60) reply.payload = {2, 0x07};
        return reply;
    };
    const Bytes before = ImageOf(4);
    Open(4);
    windows.RunFor(8200);
    EXPECT_EQ(panelWindow->RowCount(kServiceList), 4);  // the three configured services and the played one
    panelWindow->Slide(kPlayerRate, 6, true);
    windows.RunFor(1000);
    ASSERT_EQ(Count(4, 0x50), 1u);
    const Bytes& after = ImageOf(4);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + 40, after.begin()));  // the rows, services and all

    // A channel choice needs them: refused and told.
    const std::size_t writes = Writes();
    panelWindow->SetRowSelected(kServiceList, 0, true);
    panelWindow->DoubleClick(kServiceList, 0, 11);
    windows.RunFor(1000);
    EXPECT_EQ(Writes(), writes);
    EXPECT_EQ(InfoText(), "KXC300 in row 4: change not sent, its service names could not be read.");
}

TEST_F(PanelWindowTest, ValuesThatDoNotFitAreRefusedAndNothingIsWritten) {
    Start();
    Open(6);
    windows.RunFor(1200);
    panelWindow->Focus(kFreqA);
    panelWindow->Type(kFreqA, "9000");
    EXPECT_EQ(panelWindow->ControlState(kFreqA).colors.text, (ui::Color{255, 0, 0}));
    panelWindow->Type(kFreqA, "12000");
    EXPECT_EQ(panelWindow->ControlState(kFreqA).colors.text, (ui::Color{0, 0, 0}));
    panelWindow->PressEscape();
    const struct {
        int control;
        const char* typed;
        const char* message;
    } cases[] = {
        {kStreamId[0], "490000", "T.S. Id. 490000 refused: 0 to 65535 only."},
        {kNetworkId, "12x", "Net. Id. 12x refused: 0 to 65535 only."},
        {kNitVersion, "32", "Vers. 32 refused: 0 to 31 only."},
        {kFreqA, "9000", "Freq. 9000 refused: 10700 to 12750 only."},
        {kOutFreq[0], "", "Freq. (kHz) \"\" refused: 174000 to 862999 only."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const std::string held = panelWindow->Text(c.control);
        const std::size_t beeps = windows.beeps.size();
        panelWindow->Focus(c.control);
        panelWindow->Type(c.control, c.typed);
        panelWindow->Focus(kFecA);  // Tab
        EXPECT_EQ(panelWindow->Text(c.control), held);
        EXPECT_EQ(InfoText(), c.message);
        EXPECT_EQ(windows.beeps.size(), beeps + 1);
        windows.RunFor(1000);
    }
    EXPECT_EQ(Writes(), 0u);
}

TEST_F(PanelWindowTest, ANumberIsSentWhenWholeAndEscapeRestoresTheModulesValue) {
    Start();
    Open(3);
    windows.RunFor(8200);
    const auto version = [&] { return (NetworkSectionOf(program.main->Slots()[3])[5] >> 1) & 0x1F; };
    const int versionBefore = version();
    panelWindow->Focus(kStreamId[0]);
    for (const char* typed : {"1", "10", "103", "1030"}) {
        panelWindow->Type(kStreamId[0], typed);
        windows.RunFor(600);
    }
    EXPECT_EQ(Writes(), 0u);
    EXPECT_TRUE(panelWindow->ControlState(kStreamId[0]).colors.hasBackground);  // shown as not yet taken
    panelWindow->Focus(kStreamId[1]);  // Tab
    EXPECT_FALSE(panelWindow->ControlState(kStreamId[0]).colors.hasBackground);
    windows.RunFor(3000);
    EXPECT_EQ(Count(3, 0x50), 1u);
    EXPECT_EQ(Count(3, 0x80), 1u);
    EXPECT_EQ(version(), (versionBefore + 1) % 32);
    SlotRecord held = program.main->Slots()[3];  // what the module now holds, read as the panel reads an image
    held.ConfigLength = static_cast<std::uint16_t>(ImageOf(3).size());
    std::copy(ImageOf(3).begin(), ImageOf(3).end(), held.Config.begin());
    PanelModel written;
    written.OutputChannelCount = program.satCofdm->Model().OutputChannelCount;
    DecodeOutputConfig(&held, written);
    EXPECT_EQ(written.TransportStreamId[0], 1030);
    EXPECT_NE(InfoText().find("Sent to KXD410, row 3, at "), std::string::npos) << InfoText();
    EXPECT_EQ(program.main->Status().Fields().back(), InfoText()) << "the status bar keeps the last write";

    // Escape gives the field back what the module holds; a typed name waits for Enter as well.
    panelWindow->Type(kStreamId[1], "7");
    panelWindow->PressEscape();
    EXPECT_EQ(panelWindow->Text(kStreamId[1]), std::to_string(program.satCofdm->Model().TransportStreamId[1]));
    EXPECT_TRUE(panelWindow->IsShown()) << "the first Escape only took the typing back";
    panelWindow->Type(kNetworkName, "Kelvane Z");
    windows.RunFor(2000);
    EXPECT_EQ(Count(3, 0x50), 1u);
    panelWindow->PressEnter();
    windows.RunFor(1000);
    EXPECT_EQ(Count(3, 0x50), 2u);
    const std::size_t restarts = Count(3, 0x80);
    panelWindow->Type(kNetworkName, "Kelvane Z");  // typed again as it is: no change
    panelWindow->PressEnter();
    windows.RunFor(1000);
    EXPECT_EQ(Count(3, 0x50), 2u);
    EXPECT_EQ(Count(3, 0x80), restarts);

    // A value typed and left behind by switching panels is taken, not lost.
    panelWindow->Type(kStreamId[0], "1031");
    Open(0);
    EXPECT_EQ(Count(3, 0x50), 3u);

    // With nothing typed to take back, Escape closes the panel and leaves the keys on the module list.
    Open(3);
    panelWindow->PressKey(kStreamId[1], ui::HeadlessDialog::Key::Escape);
    EXPECT_FALSE(panelWindow->IsShown());
    EXPECT_EQ(program.main->CurrentSlot(), CKelvaneDlg::kNoSlot);
    EXPECT_EQ(mainWindow->FocusedControl(), res::kModuleList);
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
    const PanelModel& m = program.satCofdm->Model();
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
    const PanelModel& after = program.satCofdm->Model();
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

// The row of `serviceId` in the panel's list, -1 when it has none.
int RowOf(const PanelModel& m, int serviceId) {
    for (int r = 0; r < m.ServiceRowCount; ++r) {
        if (m.ServiceRows[r].ServiceId == serviceId) return r;
    }
    return -1;
}

int LcnOf(const PanelModel& m, int serviceId) {
    for (int k = 0; k < m.OutputServiceCount; ++k) {
        if (m.OutputServices[k].ServiceId == serviceId) return m.OutputServices[k].Lcn;
    }
    return -1;
}

TEST_F(PanelWindowTest, AnLcnEditLandsOnItsServiceAndWithinTenBits) {
    Start();
    Open(4);  // the player and its four-channel output
    windows.RunFor(200);  // the first poll: the rows as the images list them
    const PanelModel& m = program.satCofdm->Model();
    const int row = RowOf(m, 2101);
    ASSERT_GE(row, 0);
    panelWindow->DoubleClick(kServiceList, row, 15);
    ASSERT_NE(panelWindow->ActiveCellEditor(), nullptr);
    windows.RunFor(8000);  // the tuners lock and the names rebuild the list under the open editor
    ASSERT_NE(m.ServiceRows[row].ServiceId, 2101);
    const int other = m.ServiceRows[row].ServiceId;
    const int otherLcn = LcnOf(m, other);
    ASSERT_NE(panelWindow->ActiveCellEditor(), nullptr);
    panelWindow->ActiveCellEditor()->Type("77");
    panelWindow->PressEditorKey(ui::EditorKey::Enter);
    EXPECT_EQ(LcnOf(m, 2101), 77);
    EXPECT_EQ(LcnOf(m, other), otherLcn);
    EXPECT_EQ(panelWindow->Cell(kServiceList, RowOf(m, 2101), 15).text, "77");

    // 1500 would go on air as 476: refused, the cell keeps its number and says why.
    panelWindow->DoubleClick(kServiceList, RowOf(m, 2101), 15);
    ASSERT_NE(panelWindow->ActiveCellEditor(), nullptr);
    panelWindow->ActiveCellEditor()->Type("1500");
    panelWindow->PressEditorKey(ui::EditorKey::Enter);
    EXPECT_EQ(LcnOf(m, 2101), 77);
    EXPECT_EQ(panelWindow->Cell(kServiceList, RowOf(m, 2101), 15).text, "77");
    EXPECT_EQ(InfoText(), "LCN 1500 refused: 0 to 1023 only.");
}

TEST_F(PanelWindowTest, CancelledLcnEditChangesNothing) {
    Start();
    Open(1);
    windows.RunFor(8200);
    panelWindow->DoubleClick(kServiceList, 0, 15);
    ASSERT_NE(panelWindow->ActiveCellEditor(), nullptr);
    panelWindow->ActiveCellEditor()->Type("77");
    panelWindow->PressEditorKey(ui::EditorKey::Escape);
    EXPECT_FALSE(program.satCofdm->OperatorEdited());
    windows.RunFor(2000);
    EXPECT_EQ(Writes(), 0u);
}

TEST_F(PanelWindowTest, PlayerScheduleTakesAnEntryFromTheModulesFiles) {
    Start();
    Open(4);
    windows.RunFor(1200);
    ASSERT_GT(panelWindow->ItemCount(kFileCombo), 0);
    EXPECT_TRUE(AddScheduleEntry(14, 15));
    EXPECT_EQ(panelWindow->RowCount(kScheduleList), 3);
    EXPECT_EQ(panelWindow->Cell(kScheduleList, 2, 1).text, "14:00");
    windows.RunFor(1000);
    EXPECT_EQ(Count(4, 0x50), 1u);
}

TEST_F(PanelWindowTest, NoScheduleEntryWithoutAFile) {
    Start();
    bool shrunk = false;
    program.rack->ports.filter = [&shrunk](const sim::Request& request, sim::Reply reply) -> std::optional<sim::Reply> {
        if (!shrunk || request.destination != 4) return reply;
        if (request.Command() == 0x40 && !reply.payload.empty()) reply.payload.back() = 0x09;  // a new player state
        if (request.Command() == 0x90) reply.payload = {0, 0, 0, 1, 'o', 'n', 'l', 'y', '.', 't', 's', 0};
        return reply;
    };
    Open(4);
    windows.RunFor(1200);
    const int files = panelWindow->ItemCount(kFileCombo);
    ASSERT_GT(files, 1);
    panelWindow->Choose(kFileCombo, files - 1);
    shrunk = true;
    windows.RunFor(1000);  // the module's files shrink to one
    ASSERT_EQ(panelWindow->ItemCount(kFileCombo), 1);
    EXPECT_EQ(panelWindow->CurrentIndex(kFileCombo), 0);
    ASSERT_TRUE(AddScheduleEntry(14, 15));
    ASSERT_EQ(panelWindow->RowCount(kScheduleList), 3);
    EXPECT_EQ(panelWindow->Cell(kScheduleList, 2, 3).text, "only.ts");

    // With no file chosen "+" stays off, and a click that reaches it all the same adds nothing.
    panelWindow->Choose(kFileCombo, -1);
    EXPECT_FALSE(AddScheduleEntry(16, 17));
    EXPECT_EQ(panelWindow->RowCount(kScheduleList), 3);
    windows.RunFor(1000);
    EXPECT_EQ(program.satCofdm->Model().ScheduleCount, 3);
    for (int i = 0; i < program.satCofdm->Model().ScheduleCount; ++i)
        EXPECT_FALSE(program.satCofdm->Model().Schedule[i].file.empty());
}

}  // namespace
}  // namespace kelvane
