// kelvane-cli firmware scan, upgrade and build: against kxrsim over a real pseudo-terminal where a rack is needed.

#include "app/MessageCatalogue.h"
#include "config/FirmwareFiles.h"
#include "sim/FirmwareStore.h"
#include "sim/ModuleModels.h"
#include "tests/config/SlotTables.h"
#include "tests/support/FirmwareFolder.h"
#include "tests/support/PtyRack.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

using test::Bytes;
using test::CliRun;

class FirmwareCli : public ::testing::Test {
protected:
    void TearDown() override { SetLanguageIndex(kEnglish); }

    void StartRack(std::vector<sim::ModuleDescription> modules, sim::FaultOptions faults = {}) {
        sim::RackDescription rack;
        rack.modules = std::move(modules);
        faults.restartSilenceMs = 300;
        rack_ = std::make_unique<test::PtyRack>(rack, faults);
        rack_->Start();
    }

    void Prefer(const std::string& language) { std::ofstream(Dir() / "pref.txt") << language << "\n"; }
    fs::path Firmware(const std::string& name) const { return folder_.Path(name); }
    void List(const std::string& text) { folder_.List(text); }
    void Offer(const std::string& name, std::uint8_t type, std::uint8_t version, const Bytes& image) {
        folder_.Offer(name, type, version, image);
    }
    CliRun Run(const std::vector<std::string>& args) { return rack_->Cli(args, Dir()); }

    sim::RackSimulator& Rack() { return rack_->simulator; }
    fs::path Dir() const { return folder_.Root(); }

private:
    test::FirmwareFolder folder_;
    // Until a test starts one, a rack nobody serves: the port table names no port.
    std::unique_ptr<test::PtyRack> rack_ = std::make_unique<test::PtyRack>();
};

TEST_F(FirmwareCli, FailedUpgradeExitsFourNamingTheModuleAndItsStep) {
    StartRack({{sim::kKXB200, 5, 14, true, {}}, {sim::kKXD400, 6, 22, true, {}}});
    // One block more than the module's memory holds: the first block sent, the last one, is refused.
    Offer("KXB200_V20.frm", sim::kKXB200, 20, Bytes(sim::FirmwareStore::kCapacity + kFirmwareBlock, 0x5A));
    Prefer("EN");
    SetLanguageIndex(kGerman);

    const CliRun run = Run({"firmware", "upgrade"});
    EXPECT_EQ(run.status, kCliIncomplete) << run.err;
    const std::string expected = "kelvane-cli: the upgrade of row 1 (KXB200, address 5) failed: the block at offset " +
                                 std::to_string(sim::FirmwareStore::kCapacity) + " got no valid reply\n";
    EXPECT_NE(run.err.find(expected), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("Updating module 1 (KXB200) to release V2.0: ERROR !"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("restarting the rack"), std::string::npos) << run.out;
    EXPECT_EQ(Rack().VersionOf(5), 14);
}

TEST_F(FirmwareCli, LineThatHangsUpDuringTheUpgradeEndsItAtOnceNamingTheLine) {
    sim::FaultOptions faults;
    faults.hangUpAt.afterRequests = 13;  // the fifth block: search, list, identities and configurations first
    StartRack({{sim::kKXB200, 5, 14, true, {}}}, faults);
    Offer("KXB200_V20.frm", sim::kKXB200, 20, Bytes(8 * kFirmwareBlock, 0x5A));

    const CliRun run = Run({"firmware", "upgrade"});
    // Not "the rack did not answer again" after two minutes: the restart never went out.
    EXPECT_EQ(run.status, kCliIncomplete) << run.err;
    EXPECT_NE(run.err.find("(KXB200, address 5) failed: the block at offset 768"), std::string::npos) << run.err;
    EXPECT_NE(
        run.err.find("kelvane-cli: the line " + Rack().PortPath() + " hung up before the rack was told to restart\n"),
        std::string::npos)
        << run.err;
    EXPECT_EQ(Rack().HangUps(), 1u);
}

TEST_F(FirmwareCli, UpgradeThatWorksSaysNothingOnStandardErrorInTheDefaultLanguage) {
    StartRack({{sim::kKXB200, 5, 14, true, {}}});
    Bytes image(2 * kFirmwareBlock, 0x5A);
    const std::uint8_t marker[] = {'K', 'X', 'R', 'V', 20};  // the version the module runs after its restart
    std::copy(std::begin(marker), std::end(marker), image.begin() + 16);
    Offer("KXB200_V20.frm", sim::kKXB200, 20, image);
    SetLanguageIndex(kEnglish);  // no pref.txt: German, whatever the process held before

    const CliRun run = Run({"firmware", "upgrade"});
    EXPECT_EQ(run.status, kCliOk) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Update des Moduls 1 (KXB200) auf die Version V2.0: OK"), std::string::npos) << run.out;
    EXPECT_EQ(Rack().FirmwareOf(5), image);

    // The rack now runs it: nothing is due, nothing fails.
    const CliRun again = Run({"firmware", "upgrade"});
    EXPECT_EQ(again.status, kCliOk) << again.err;
    EXPECT_NE(again.out.find("no module needed an upgrade"), std::string::npos) << again.out;
}

TEST_F(FirmwareCli, ScanReportsFoldersDevicesAndOversizedFilesAndGoesOn) {
    test::Write(Firmware("KXB200-huge"), {});
    fs::resize_file(Firmware("KXB200-huge"), std::uintmax_t{1} << 30);  // sparse: never read
    test::Write(Firmware("KXB200.bin"), BuildFirmwareFile(1, 20, Bytes(kFirmwareBlock, 1)));
    List(".\n..\n/dev/zero\nKXB200-huge\nKXB200-gone\nKXB200.bin\n");

    const CliRun run = Run({"firmware", "scan"});
    EXPECT_EQ(run.status, kCliOk) << run.err;
    for (const char* line :
         {"  .: skipped: a folder or a device, not a file\n", "  ..: skipped: a folder or a device, not a file\n",
          "  /dev/zero: skipped: a folder or a device, not a file\n",
          "  KXB200-huge: refused: larger than 16 MiB, the most a module can take\n",
          "  KXB200-gone: skipped: no such file\n", "  KXB200.bin: kept (KXB200 V2.0)\n", "1 usable image(s)\n"}) {
        EXPECT_NE(run.out.find(line), std::string::npos) << line << " in\n" << run.out;
    }
}

TEST_F(FirmwareCli, ScanAndUpgradeBothExitFiveWithoutAFirmwareList) {
    StartRack({{1, 0x21, 12, true, {}}});
    for (const char* command : {"scan", "upgrade"}) {
        SCOPED_TRACE(command);
        const CliRun run = Run({"firmware", command});
        EXPECT_EQ(run.status, kCliFileError) << run.err;
        EXPECT_NE(run.err.find("no firmware list"), std::string::npos) << run.err;
        EXPECT_EQ(Rack().RequestLog().size(), 0u) << "the rack is not searched for nothing";
    }
}

TEST_F(FirmwareCli, BuildRefusesWhatTheScanWouldRefuse) {
    const fs::path output = Firmware("KXB200_V20.frm");
    const auto build = [&](const std::string& type, const fs::path& payload) {
        return Run({"firmware", "build", type, "20", payload.string(), output.string()});
    };
    test::Write(Dir() / "empty.bin", {});
    test::Write(Dir() / "ragged.bin", Bytes(300, 1));
    test::Write(Dir() / "huge.bin", {});
    fs::resize_file(Dir() / "huge.bin", kMaxFirmwareImage + 1);
    struct Case {
        const char* type;
        fs::path payload;
        const char* why;
    };
    const Case cases[] = {
        {"KXB200", Dir() / "empty.bin", "is empty"},
        {"KXC300", Dir() / "empty.bin", "is empty"},
        {"KXB200", Dir() / "ragged.bin", "is not a whole number of 256-byte blocks"},
        {"KXC300", Dir() / "huge.bin", "larger than 16 MiB"},
        {"KXB200", Dir() / "firmware", "Is a directory"},
        {"KXB200", Dir() / "nothing-here.bin", "No such file"},
    };
    for (const Case& c : cases) {
        const CliRun run = build(c.type, c.payload);
        EXPECT_EQ(run.status, kCliFileError) << c.payload;
        EXPECT_NE(run.err.find(c.why), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(output)) << c.payload;
    }

    // What it does write, the scan takes.
    const CliRun ragged = build("KXC300", Dir() / "ragged.bin");
    EXPECT_EQ(ragged.status, kCliOk) << ragged.err;
    EXPECT_NE(ragged.err.find("starts with KXC300"), std::string::npos) << "a name the list cannot use is pointed out";
    test::Write(Dir() / "blocks.bin", Bytes(2 * kFirmwareBlock, 1));
    ASSERT_EQ(build("KXB200", Dir() / "blocks.bin").status, kCliOk);
    List("KXB200_V20.frm\n");
    EXPECT_EQ(ScanFirmwareFiles(Dir()).table[1].BestVersion, 20);
}

}  // namespace
}  // namespace kelvane
