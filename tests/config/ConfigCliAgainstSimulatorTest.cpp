// kelvane-cli save, summary and upload against kxrsim over a real pseudo-terminal.

#include "app/MessageCatalogue.h"
#include "config/ConfigFile.h"
#include "tests/config/SlotTables.h"
#include "tests/support/PtyRack.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::Heard;

// A run with the configuration writes and restarts the rack heard meanwhile.
struct CliRun : test::CliRun {
    std::vector<Heard> written;
};

class ConfigCliAgainstSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        Prefer("EN");
        rack_.Start();
    }
    void TearDown() override { SetLanguageIndex(kEnglish); }

    void Prefer(const std::string& language) { dir_.Write("pref.txt", language + "\n"); }
    std::string File(const std::string& name) const { return dir_.Path(name).string(); }

    CliRun Run(const std::vector<std::string>& args) {
        const std::size_t before = Rack().RequestLog().size();
        CliRun run{rack_.Cli(args, dir_.Root()), {}};
        for (const Heard& h : test::HeardFrom(Rack().RequestLog(), before)) {
            if (h.command == 0x50 || h.command == 0x80) run.written.push_back(h);
        }
        return run;
    }

    sim::RackSimulator& Rack() { return rack_.simulator; }

private:
    test::TempFolder dir_{"config-cli"};
    test::PtyRack rack_;
};

TEST_F(ConfigCliAgainstSimulator, SaveAndSummariesOfTheRack) {
    const CliRun save = Run({"save", File("rack.kcf")});
    ASSERT_EQ(save.status, kCliOk) << save.err;
    LoadedConfig loaded;
    ASSERT_EQ(ReadConfigFile(File("rack.kcf"), loaded), ConfigReadResult::Read);
    const SlotTable rack = test::TableOf(sim::DefaultRack());
    ASSERT_EQ(loaded.LoadedCount, rack.ModuleCount);
    for (std::size_t k = 0; k < rack.ModuleCount; ++k) {
        EXPECT_EQ(test::ImageBytes(loaded.LoadedTable[k]), test::ImageBytes(rack[k])) << k;
    }

    const CliRun summary = Run({"summary", File("rack.kcf")});
    EXPECT_EQ(summary.status, kCliOk) << summary.err;
    EXPECT_TRUE(
        summary.out.starts_with("Loaded configuration matches current installation.\n\nShort Description :\n"
                                "Slot 0 : KXA100\n  No configuration required\n\nSlot 1 : KXB200\n"))
        << summary.out;
    EXPECT_EQ(summary.out.find('\r'), std::string::npos);

    // A file that does not fit the rack is described, and the status says so, as upload's does.
    SlotTable longer = test::TableOf(sim::DefaultRack());
    longer[longer.ModuleCount++] = test::Record(3, 0);
    std::error_code error;
    ASSERT_TRUE(SaveConfigFile(File("longer.kcf"), longer, error));
    const CliRun misfit = Run({"summary", File("longer.kcf")});
    EXPECT_EQ(misfit.status, kCliMismatch);
    EXPECT_TRUE(misfit.out.starts_with("LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !\n")) << misfit.out;
    EXPECT_NE(misfit.err.find("does not fit the rack's modules"), std::string::npos) << misfit.err;

    Prefer("FR");
    const std::size_t before = Rack().RequestCount();
    const CliRun offline = Run({"summary", "--offline", File("rack.kcf")});
    EXPECT_EQ(offline.status, kCliOk);
    EXPECT_EQ(Rack().RequestCount(), before) << "no rack is asked";
    EXPECT_TRUE(offline.out.starts_with("LA CONFIGURATION CHARG\u00c9E NE CORRESPOND PAS")) << offline.out;

    // A save that would replace what it must not says why, and leaves it.
    fs::create_directory(File("folder.kcf"));
    const CliRun folder = Run({"save", File("folder.kcf")});
    EXPECT_EQ(folder.status, kCliFileError);
    EXPECT_NE(folder.err.find("the name is that of a folder or a device"), std::string::npos) << folder.err;
    EXPECT_TRUE(fs::is_directory(File("folder.kcf")));
}

TEST_F(ConfigCliAgainstSimulator, UploadSendsOnlyWhenToldAndOnlyWhatFits) {
    SlotTable edited = test::TableOf(sim::DefaultRack());
    edited[7].Config[0] ^= 0x01;  // the KXD400 at address 7
    SlotTable longer = edited;
    longer[longer.ModuleCount++] = test::Record(3, 0);
    std::error_code error;
    ASSERT_TRUE(SaveConfigFile(File("edited.kcf"), edited, error));
    ASSERT_TRUE(SaveConfigFile(File("longer.kcf"), longer, error));

    const CliRun asked = Run({"upload", File("edited.kcf")});
    EXPECT_EQ(asked.status, kCliOk);
    EXPECT_TRUE(asked.written.empty());
    EXPECT_TRUE(asked.out.ends_with("nothing was sent: run again with --yes to send it\n"));

    const CliRun refused = Run({"upload", "--yes", File("longer.kcf")});
    EXPECT_EQ(refused.status, kCliMismatch);
    EXPECT_TRUE(refused.written.empty());
    EXPECT_TRUE(refused.out.starts_with("LOADED CONFIGURATION DOES NOT MATCH CURRENT INSTALLATION !\n"));

    const CliRun sent = Run({"upload", File("edited.kcf"), "--yes"});
    EXPECT_EQ(sent.status, kCliOk) << sent.err;
    EXPECT_EQ(sent.written,
              (std::vector<Heard>{
                  {7, 0x50, test::ImageBytes(edited[7])}, {7, 0x80, {}}, {3, 0x80, {}}, {5, 0x80, {}}, {7, 0x80, {}}}));
    EXPECT_TRUE(sent.out.ends_with("Configuration uploaded to hardware.\n"));

    std::ofstream(File("cut.kcf"), std::ios::binary) << std::string("\x00\x00\x05\x01", 4);
    const CliRun cut = Run({"upload", "--yes", File("cut.kcf")});
    EXPECT_EQ(cut.status, kCliFileError);
    EXPECT_TRUE(cut.written.empty());
    EXPECT_NE(cut.err.find("ends inside a record"), std::string::npos);
    EXPECT_EQ(Run({"upload", File("a.kcf"), File("b.kcf")}).status, kCliUsage);
}

// A named pipe where a configuration file belongs would have the program wait for a writer for ever; a folder
// cannot be read. Each is refused at once, with why, and nothing reaches the rack.
TEST_F(ConfigCliAgainstSimulator, PipesAndFoldersAreRefusedAtOnceWithTheirReason) {
    std::error_code error;
    ASSERT_TRUE(SaveConfigFile(File("rack.kcf"), test::TableOf(sim::DefaultRack()), error));
    ASSERT_EQ(mkfifo(File("pipe.kcf").c_str(), 0600), 0);
    fs::create_directory(File("folder.kcf"));
    const std::string pipe = "a named pipe", folder = "Is a directory";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"summary", File("pipe.kcf"), "--offline"}, pipe},   {{"summary", File("folder.kcf"), "--offline"}, folder},
        {{"diff", File("pipe.kcf"), File("rack.kcf")}, pipe}, {{"diff", File("rack.kcf"), File("pipe.kcf")}, pipe},
        {{"upload", File("pipe.kcf"), "--yes"}, pipe},
    };
    for (const auto& [args, reason] : cases) {
        SCOPED_TRACE(args[0] + " " + args[1]);
        const CliRun run = Run(args);
        EXPECT_EQ(run.status, kCliFileError);
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
        EXPECT_TRUE(run.written.empty());
    }
}

}  // namespace
}  // namespace kelvane
