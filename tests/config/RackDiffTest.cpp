// kelvane-cli diff: decoded differences between two racks' images, and the command's answers.

#include "config/ConfigFile.h"
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"
#include "tests/config/SlotTables.h"
#include "tests/support/DefaultRackRows.h"
#include "tests/support/PtyRack.h"
#include "tests/support/TempFolder.h"
#include "tools/cli/RackDiff.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

using test::rack::kTuner;
using test::rack::kTwoChannelOutput;

std::string Joined(const RackDifferences& diff) {
    std::string text;
    for (const auto& line : diff.lines) text += line + "\n";
    return text;
}

class RackDiff : public ::testing::Test {
protected:
    SlotTable a_ = test::TableOf(sim::DefaultRack());
    SlotTable b_ = a_;

    // The KXB200's pair, through its CI module, as the panel models it.
    PanelModel TunersPair() const { return ModelOfPair(1, b_[kTuner], &b_[kTwoChannelOutput]); }

    // Changes the pair's output as the panel would, through the codec, so that every byte written is a field's.
    template <typename Edit>
    void EditOutput(Edit edit) {
        PanelModel m = TunersPair();
        edit(m);
        ASSERT_TRUE(EncodeOutputConfig(m, b_[kTwoChannelOutput]));
    }
};

TEST_F(RackDiff, IdenticalRacksHaveNoDifferences) { EXPECT_TRUE(DiffRacks(a_, b_, "A", "B").Same()); }

TEST_F(RackDiff, ChangedFieldsAreNamedWithBothValuesAndNoByteIsLeftUnexplained) {
    EditOutput([](PanelModel& m) {
        m.OutputFreqKHz = 554000;
        m.NetworkName = "Essai";
        m.Constellation = 1;
        ASSERT_GT(m.OutputServiceCount, 0);
        m.OutputServices[0].Lcn = 42;
    });
    const int serviceId = TunersPair().OutputServices[0].ServiceId;
    const RackDifferences diff = DiffRacks(a_, b_, "A", "B");
    const std::string text = Joined(diff);
    EXPECT_NE(text.find("row 3 KXD410: out.freq 474000 -> 554000 kHz"), std::string::npos) << text;
    EXPECT_NE(text.find("network.name \"Kelvane A\" -> \"Essai\""), std::string::npos) << text;
    EXPECT_NE(text.find("constellation 64-QAM -> 16-QAM"), std::string::npos) << text;
    EXPECT_NE(text.find("service " + std::to_string(serviceId) + " lcn"), std::string::npos) << text;
    // The frequency, name and section bytes all moved, yet every one of them is a field's.
    EXPECT_EQ(text.find("no field explains"), std::string::npos) << text;
    EXPECT_EQ(diff.lines.size(), 4u) << text;
}

TEST_F(RackDiff, ServicesAddedAndRemovedAreListedByTheirIds) {
    int removed = 0;
    EditOutput([&](PanelModel& m) {
        removed = m.OutputServices[0].ServiceId;
        std::rotate(m.OutputServices.begin(), m.OutputServices.begin() + 1,
                    m.OutputServices.begin() + m.OutputServiceCount);
        m.OutputServices[m.OutputServiceCount - 1] = OutputService{4321, 9, 0, 2, 0};
    });
    const std::string text = Joined(DiffRacks(a_, b_, "A", "B"));
    EXPECT_NE(text.find("service " + std::to_string(removed) + " removed"), std::string::npos) << text;
    EXPECT_NE(text.find("service 4321 added (channel 2, LCN 9, HD LCN 0)"), std::string::npos) << text;
}

TEST_F(RackDiff, BytesNoFieldHoldsAreReportedAsOffsets) {
    // The byte before the CAT/EMM flag closes the network section's CRC, which the fields rebuild: a damaged
    // CRC decodes to the same fields, and only the offset can tell the operator.
    SlotRecord& output = b_[kTwoChannelOutput];
    const std::size_t last = output.ConfigLength - 2u;
    output.Config[last] ^= 0x5A;
    const RackDifferences diff = DiffRacks(a_, b_, "A", "B");
    ASSERT_EQ(diff.lines.size(), 1u) << Joined(diff);
    EXPECT_EQ(diff.lines[0],
              "row 3 KXD410: bytes at offsets " + std::to_string(last) + " differ where no field explains them");

    // On a module the panel does not decode (the CI module), every differing byte is unexplained.
    b_ = a_;
    b_[2].ConfigLength = 3;
    b_[2].Config[1] = 7;
    b_[2].Config[2] = 8;
    EXPECT_EQ(Joined(DiffRacks(a_, b_, "A", "B")),
              "row 2 KXF600: bytes at offsets 0-2 differ where no field explains them\n");
}

TEST_F(RackDiff, RowsWhoseModulesDifferAreNotDecodedAgainstEachOther) {
    b_[kTuner].Type = 4;  // a KXB210 where the file has a KXB200
    b_.ModuleCount = static_cast<std::uint8_t>(a_.ModuleCount - 1);
    const std::string text = Joined(DiffRacks(a_, b_, "a.kcf", "the rack"));
    EXPECT_NE(text.find("row 1: module type differs: KXB200 in a.kcf, KXB210 in the rack"), std::string::npos) << text;
    EXPECT_NE(text.find("row 7: KXD400 only in a.kcf"), std::string::npos) << text;
    EXPECT_EQ(text.find("in.freq"), std::string::npos) << text;
}

// The command itself, on files and against kxrsim over a pseudo-terminal.
class DiffCommand : public ::testing::Test {
protected:
    void SetUp() override { rack_.Start(); }

    std::string File(const std::string& name) const { return dir_.Path(name).string(); }
    test::CliRun Run(const std::vector<std::string>& args) { return rack_.Cli(args, dir_.Root()); }

    void SaveFile(const std::string& name, const SlotTable& table) {
        std::error_code error;
        ASSERT_TRUE(SaveConfigFile(File(name), table, error)) << error.message();
    }

    test::TempFolder dir_{"diff"};
    test::PtyRack rack_;
};

TEST_F(DiffCommand, ExitStatusesTellSameDifferentUnreadableAndNotFitting) {
    SlotTable rack = test::TableOf(sim::DefaultRack());
    SaveFile("rack.kcf", rack);
    SlotTable changed = rack;
    changed[kTuner].Config[changed[kTuner].ConfigLength - 1u] ^= 1;
    SaveFile("changed.kcf", changed);
    SlotTable other = rack;
    other[kTuner].Type = 4;
    SaveFile("other.kcf", other);
    const auto before = fs::last_write_time(File("rack.kcf"));

    test::CliRun run = Run({"diff", File("rack.kcf"), File("rack.kcf")});
    EXPECT_EQ(run.status, kCliOk);
    EXPECT_EQ(run.out, "no differences\n");
    run = Run({"diff", File("rack.kcf"), File("changed.kcf")});
    EXPECT_EQ(run.status, kCliFindings);
    EXPECT_NE(run.out.find("row 1 KXB200:"), std::string::npos) << run.out;
    run = Run({"diff", File("rack.kcf"), File("missing.kcf")});
    EXPECT_EQ(run.status, kCliFileError);
    EXPECT_NE(run.err.find("missing.kcf"), std::string::npos) << run.err;
    EXPECT_EQ(Run({"diff", File("rack.kcf")}).status, kCliUsage);

    // Against the rack: the file saved from it is the same; a file for other modules does not fit.
    run = Run({"diff", File("rack.kcf"), "--rack"});
    EXPECT_EQ(run.status, kCliOk) << run.out << run.err;
    run = Run({"diff", File("other.kcf"), "--rack"});
    EXPECT_EQ(run.status, kCliMismatch) << run.out << run.err;
    EXPECT_NE(run.out.find("module type differs: KXB210 in"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("does not fit"), std::string::npos) << run.err;

    // Nothing was written: no file, and no configuration request to the rack.
    EXPECT_EQ(fs::last_write_time(File("rack.kcf")), before);
    for (const auto& heard : test::HeardFrom(rack_.simulator.RequestLog(), 0)) {
        EXPECT_NE(heard.command, 0x50) << "diff wrote a configuration";
        EXPECT_NE(heard.command, 0x80) << "diff restarted an output";
    }
}

}  // namespace
}  // namespace kelvane
