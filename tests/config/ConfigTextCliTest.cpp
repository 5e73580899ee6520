// kelvane-cli export and apply against kxrsim: the text round trip, the plan, and every refusal with its line.

#include "config/ConfigFile.h"
#include "panel/OutputConfigCodec.h"
#include "panel/PairModel.h"
#include "sim/ConfigImages.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"
#include "tests/support/DefaultRackRows.h"
#include "tests/support/PtyRack.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using test::rack::kOneChannelOutput;
using test::rack::kPlainTuner;

// The default rack with the KXD400's services marked as the panel marks them (no CI module before it
// descrambles anything) and its image written by the panel's codec, so that re-encoding its pair changes only
// what was edited.
sim::RackDescription SettledRack() {
    sim::RackDescription rack = sim::DefaultRack();
    const SlotTable slots = test::TableOf(rack);
    PanelModel m = ModelOfPair(0, slots[kPlainTuner], &slots[kOneChannelOutput]);
    for (int k = 0; k < m.OutputServiceCount; ++k) m.OutputServices[k].Activated = 0;
    SlotRecord output = slots[kOneChannelOutput];
    EXPECT_TRUE(EncodeOutputConfig(m, output));
    const auto image = output.ConfigImage();
    rack.modules[kOneChannelOutput - 1].config.assign(image.begin(), image.end());
    return rack;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << from << " is not unique";
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

class ConfigTextCli : public ::testing::Test {
protected:
    void SetUp() override { rack_.Start(); }

    std::string File(const std::string& name) const { return dir_.Path(name).string(); }
    void WriteText(const std::string& name, const std::string& text) const { dir_.Write(name, text); }
    test::CliRun Run(const std::vector<std::string>& args) { return rack_.Cli(args, dir_.Root()); }
    sim::RackSimulator& Rack() { return rack_.simulator; }

    // The configuration writes (0x50) the rack heard since `before`, by address.
    std::vector<int> WritesSince(std::size_t before) {
        std::vector<int> addresses;
        for (const test::Heard& h : test::HeardFrom(Rack().RequestLog(), before)) {
            if (h.command == 0x50) addresses.push_back(h.address);
        }
        return addresses;
    }

    std::string Exported() {
        const test::CliRun run = Run({"export", "--rack"});
        EXPECT_EQ(run.status, kCliOk) << run.err;
        return run.out;
    }

    test::TempFolder dir_{"config-text"};
    test::PtyRack rack_{SettledRack()};
};

TEST_F(ConfigTextCli, OneLcnEditedIsPlannedAppliedAndExportedAsThatLineAlone) {
    ASSERT_EQ(Run({"save", File("rack.kcf")}).status, kCliOk);
    const std::string exported = Exported();
    EXPECT_EQ(Run({"export", File("rack.kcf")}).out, exported) << "the rack and the file saved from it read alike";
    EXPECT_NE(exported.find("[pair.6.service.3002]\ncam = 0\nchannel = 1\nlcn = 21\nhdlcn = 0\n"), std::string::npos)
        << exported;
    const std::string pair6 = exported.substr(exported.find("# row 6 KXB210"));
    const std::string header = exported.substr(0, exported.find("\n\n") + 2);
    EXPECT_EQ(Run({"export", File("rack.kcf"), "--rows", "7"}).out, header + pair6)
        << "--rows keeps the pair the row belongs to";
    WriteText("rack.toml", exported);
    const test::CliRun unchanged = Run({"apply", File("rack.toml"), "--plan"});
    EXPECT_EQ(unchanged.status, kCliOk) << unchanged.err;
    EXPECT_EQ(unchanged.out, "nothing to do\n");

    const std::string edited = Replaced(exported, "lcn = 21\n", "lcn = 25\n");
    WriteText("edited.toml", edited);
    const std::size_t before = Rack().RequestLog().size();
    const test::CliRun plan = Run({"apply", File("edited.toml"), "--plan"});
    EXPECT_EQ(plan.status, kCliFindings) << plan.err;
    // The section's content changed, so its version goes up as it does for set and the panel.
    EXPECT_EQ(plan.out,
              "pair 6 (KXB210 -> KXD400 in row 7):\n"
              "  row 7 KXD400: network.version 2 -> 3\n"
              "  row 7 KXD400: service 3002 lcn 21 -> 25\n"
              "2 change(s) in 1 pair(s) planned; nothing was written\n");
    EXPECT_TRUE(WritesSince(before).empty());

    const test::CliRun applied = Run({"apply", File("edited.toml")});
    EXPECT_EQ(applied.status, kCliOk) << applied.err;
    EXPECT_NE(applied.out.find("  row 7: image written and read back\n"), std::string::npos) << applied.out;
    EXPECT_EQ(WritesSince(before), std::vector<int>{kOneChannelOutput});
    EXPECT_EQ(Exported(), edited);
    EXPECT_EQ(Run({"apply", File("edited.toml"), "--plan"}).status, kCliOk);
}

TEST_F(ConfigTextCli, RefusalsNameTheLineAndThePairsDone) {
    const std::string pair6 = "[pair.6]\ninput.model = \"KXB210\"\noutput.row = 7\noutput.model = \"KXD400\"\n";
    const struct {
        const char* name;
        std::string text;
        int status;
        const char* err;
        std::vector<int> writes;
    } cases[] = {
        {"not TOML", pair6 + "level = = 3\n", kCliFileError, "t.toml:5: ", {}},
        {"other models",
         Replaced(pair6, "KXB210", "KXB200"),
         kCliMismatch,
         "t.toml:1: pair 6 does not fit: the file has KXB200 -> KXD400 in row 7, "
         "the rack has KXB210 -> KXD400 in row 7",
         {}},
        {"a row without input",
         "[pair.2]\ninput.model = \"KXB200\"\n",
         kCliMismatch,
         "pair 2 does not fit: the file has KXB200 without output, the rack has KXF600, no input",
         {}},
        {"out of range",
         pair6 + "\nlevel = 31\n",
         kCliNotWritten,
         "t.toml:6: pair 6: level: wants a number from 1 to 30; nothing of this pair was sent; "
         "no pair was changed",
         {}},
        {"unknown", pair6 + "colour = 3\n", kCliNotWritten, "t.toml:5: pair 6: colour: is not a setting", {}},
        {"after a pair done",
         "[pair.1]\ninput.model = \"KXB200\"\noutput.row = 3\noutput.model = \"KXD410\"\nlevel = 7\n" +
             Replaced(pair6, "[pair.6]", "[pair.6]\nlevel = 0"),
         kCliNotWritten,
         "t.toml:7: pair 6: level: wants a number from 1 to 30; nothing of this pair was sent; "
         "pairs done: 1",
         {3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteText("t.toml", c.text);
        const std::size_t before = Rack().RequestLog().size();
        const test::CliRun run = Run({"apply", File("t.toml")});
        EXPECT_EQ(run.status, c.status) << run.out << run.err;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(WritesSince(before), c.writes);
    }
}

TEST_F(ConfigTextCli, OfflineMakesAConfigurationFileWithoutTheRack) {
    ASSERT_EQ(Run({"save", File("rack.kcf")}).status, kCliOk);
    const std::string edited = Replaced(Exported(), "lcn = 21\n", "lcn = 25\n");
    WriteText("edited.toml", edited);
    const std::size_t before = Rack().RequestCount();
    const test::CliRun run = Run({"apply", File("edited.toml"), "--to", File("out.kcf"), "--from", File("rack.kcf")});
    EXPECT_EQ(run.status, kCliOk) << run.err;
    EXPECT_TRUE(run.out.ends_with("  row 7 KXD400: service 3002 lcn 21 -> 25\n2 change(s) in 1 pair(s) written to " +
                                  File("out.kcf") + "\n"))
        << run.out;
    EXPECT_EQ(Rack().RequestCount(), before) << "no rack is asked";
    EXPECT_EQ(Run({"export", File("out.kcf")}).out, edited);
    EXPECT_EQ(Run({"apply", File("edited.toml"), "--to", File("x.kcf")}).status, kCliUsage);
}

}  // namespace
}  // namespace kelvane
