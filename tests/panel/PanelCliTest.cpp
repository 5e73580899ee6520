// kelvane-cli show and set on a simulated rack fed in process, on the virtual clock, with replies a test may
// lose or change on their way.

#include "link/Xmit.h"
#include "sim/ConfigImages.h"
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "sim/RackModules.h"
#include "tests/support/CliRun.h"
#include "tests/support/EnginePort.h"
#include "tests/support/FullOutputRack.h"
#include "tests/support/HostileTexts.h"
#include "tools/cli/CliCommands.h"
#include "tools/cli/CliOptions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

class PanelCli : public ::testing::Test {
protected:
    void Start(const sim::RackDescription& rack = sim::DefaultRack()) {
        rack_ = std::make_unique<test::EngineRack>(rack, clock);
    }

    int Cli(const std::vector<std::string>& args) {
        const test::CliRun run = test::RunCliIn(rack_->link, rack_->ports, clock, fs::temp_directory_path(), args);
        out = run.out;
        err = run.err;
        return run.status;
    }

    // Loses every reply of `command` from the module at `address`, as a module that does not answer.
    void Silence(std::uint8_t address, std::uint8_t command) {
        rack_->ports.filter = [address, command](const sim::Request& request,
                                                 sim::Reply reply) -> std::optional<sim::Reply> {
            if (request.destination == address && request.Command() == command) return std::nullopt;
            return reply;
        };
    }

    std::size_t Writes(std::uint8_t address) const { return rack_->Requests(address, 0x50); }
    std::size_t AllWrites() const { return rack_->Writes(); }
    const Bytes& ImageOf(std::uint8_t address) const { return rack_->engine.Find(address)->Config(); }

    VirtualClock clock;
    std::unique_ptr<test::EngineRack> rack_;
    std::string out, err;
};

// A save never stands for part of a rack: a module whose answer never came is named, and no file is written.
TEST_F(PanelCli, SaveNamesTheModuleWhoseAnswerNeverCameAndWritesNothing) {
    const struct {
        std::uint8_t address;
        std::uint8_t command;
        const char* named;
    } cases[] = {
        {5, 0x70, "KXD420 in row 5 (address 5): its configuration could not be read"},
        {1, 0x70, "KXB200 in row 1 (address 1): its configuration could not be read"},
        {0, 0x60, "the rack controller did not send its module list"},
    };
    const std::filesystem::path file = std::filesystem::temp_directory_path() / "kelvane-partial-save.kcf";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named);
        std::filesystem::remove(file);
        Start();
        Silence(c.address, c.command);
        EXPECT_EQ(Cli({"save", file.string()}), kCliIncomplete);
        EXPECT_NE(err.find(c.named), std::string::npos) << err;
        EXPECT_FALSE(std::filesystem::exists(file));
    }
}

// A pair whose module does not answer stops apply there: the pairs done before it are named, and the pairs
// after it are not touched.
TEST_F(PanelCli, ApplyStopsAtThePairWhoseModuleFailedAndNamesThePairsDone) {
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("kelvane-apply-" + std::to_string(getpid()) + ".toml");
    std::ofstream(file) << "[pair.1]\ninput.model = \"KXB200\"\noutput.row = 3\noutput.model = \"KXD410\"\nlevel = 7\n"
                           "[pair.4]\ninput.model = \"KXC300\"\noutput.row = 5\noutput.model = \"KXD420\"\nlevel = 8\n"
                           "[pair.6]\ninput.model = \"KXB210\"\noutput.row = 7\noutput.model = \"KXD400\"\nlevel = 9\n";
    Start();
    Silence(5, 0x50);
    EXPECT_EQ(Cli({"apply", file.string()}), kCliIncomplete);
    std::filesystem::remove(file);
    EXPECT_NE(err.find(":6: pair 4: a request failed all its tries; its modules may hold part of it; "
                       "pairs done: 1"),
              std::string::npos)
        << err;
    EXPECT_EQ(Writes(3), 1u);
    EXPECT_EQ(Writes(7), 0u) << "no pair after the one that failed";
}

TEST_F(PanelCli, AChangeTheImagesCannotTakeWritesNothingAndSaysWhy) {
    Start(test::RackWithAFullOutput());
    ASSERT_GT(ImageOf(7).size(), 1000u);
    EXPECT_EQ(Cli({"set", "7", "network.name=" + std::string(30, 'N')}), kCliNotWritten);
    EXPECT_NE(err.find("KXD400 in row 7"), std::string::npos) << err;
    EXPECT_NE(err.find("1024 bytes"), std::string::npos) << err;
    EXPECT_EQ(out, "");  // no new values shown as if sent
    EXPECT_EQ(AllWrites(), 0u);
    EXPECT_EQ(Cli({"set", "7", "network.name=Nord"}), kCliOk) << err;  // a shorter name fits

    // An output image of 1 to 7 bytes was never read; neither was an empty input image.
    for (const std::size_t length : {0u, 1u, 2u, 7u}) {
        sim::RackDescription rack = sim::DefaultRack();
        rack.modules[6].config.resize(length);
        Start(rack);
        EXPECT_EQ(Cli({"set", "7", "level=20"}), kCliNotWritten) << length;
        EXPECT_NE(err.find("KXD400 in row 7: its configuration could not be read"), std::string::npos) << err;
        EXPECT_EQ(ImageOf(7).size(), length);
        EXPECT_EQ(AllWrites(), 0u);
    }
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules[5].config.clear();
    Start(rack);
    EXPECT_EQ(Cli({"set", "7", "out.freq=506000"}), kCliNotWritten);
    EXPECT_NE(err.find("KXB210 in row 6"), std::string::npos) << err;
    EXPECT_EQ(AllWrites(), 0u);
}

TEST_F(PanelCli, RepliesThatDidNotComeNeverRemoveServices) {
    Start();
    const Bytes tuner = ImageOf(1);
    Silence(1, 0x40);
    EXPECT_EQ(Cli({"set", "1", "out.freq=506000"}), kCliOk) << err;
    EXPECT_EQ(ImageOf(1), tuner);
    EXPECT_EQ(Writes(3), 1u);

    // A player with no output behind it rebuilds its rows from the names: without them it keeps them.
    sim::RackDescription rack = sim::DefaultRack();
    rack.modules.erase(rack.modules.begin() + 4);
    Start(rack);
    Bytes player = ImageOf(4);
    Silence(4, 0x60);
    EXPECT_EQ(Cli({"set", "4", "in.symbolrate=27000"}), kCliOk) << err;
    ASSERT_EQ(Writes(4), 1u);
    player[2] = 27000 >> 8;
    player[3] = 27000 & 0xFF;
    EXPECT_EQ(ImageOf(4), player);

    // Nor when its status poll goes unanswered: an unlocked tuner's rows would read as empty.
    Start(rack);
    player = ImageOf(4);
    Silence(4, 0x40);
    EXPECT_EQ(Cli({"set", "4", "in.symbolrate=27000"}), kCliOk) << err;
    player[2] = 27000 >> 8;
    player[3] = 27000 & 0xFF;
    EXPECT_EQ(ImageOf(4), player);

    // A channel choice needs the names: refused, and nothing written.
    Start();
    Silence(1, 0x60);
    EXPECT_EQ(Cli({"set", "3", "service.1102.channel=2"}), kCliNotWritten);
    EXPECT_NE(err.find("KXB200 in row 1: its service names could not be read"), std::string::npos) << err;
    EXPECT_EQ(AllWrites(), 0u);
}

// The flags byte of a KXD410 entry: bit 7 marks a service as descrambled.
bool Activated(const Bytes& image, std::uint16_t serviceId) {
    for (std::size_t k = 0; k < image.at(8); ++k) {
        if ((image.at(9 + 3 * k) << 8 | image.at(10 + 3 * k)) == serviceId) return (image.at(11 + 3 * k) & 0x80) != 0;
    }
    ADD_FAILURE() << "service " << serviceId << " is not in the image";
    return false;
}

TEST_F(PanelCli, SetChangesWhatThePanelWouldInTheSameRun) {
    Start();
    ASSERT_EQ(Cli({"set", "3", "service.1102.cam=1", "service.1101.cam=0"}), kCliOk) << err;
    EXPECT_TRUE(Activated(ImageOf(3), 1102));
    EXPECT_FALSE(Activated(ImageOf(3), 1101));
    EXPECT_TRUE(Activated(ImageOf(3), 1103));
    EXPECT_EQ(Writes(3), 1u);

    // Thirty characters, not thirty bytes: an accented letter is one byte on the wire.
    const std::string name = std::string(28, 'x') + "\xC3\xA9\xC3\xA9";
    ASSERT_EQ(Cli({"set", "7", "network.name=" + name}), kCliOk) << err;
    EXPECT_NE(out.find("name \"" + name + "\""), std::string::npos) << out;
    ASSERT_EQ(Cli({"show", "7"}), kCliOk);
    EXPECT_NE(out.find("name \"" + name + "\""), std::string::npos) << out;
    const Bytes image = ImageOf(7);
    const Bytes latin1 = {'x', 'x', 0xE9, 0xE9};
    EXPECT_NE(std::search(image.begin(), image.end(), latin1.begin(), latin1.end()), image.end());

    // The input frequency takes what the panel's field shows in black.
    EXPECT_EQ(Cli({"set", "1", "in.freq=9000"}), kCliUsage);
    EXPECT_NE(err.find("10700 to 12750"), std::string::npos) << err;
    EXPECT_EQ(Cli({"set", "1", "in2.freq=12751"}), kCliUsage);
    EXPECT_EQ(Cli({"set", "1", "in.freq=12750"}), kCliOk) << err;
}

// show polls a fresh tuner until it locks and reads its names as the panel does: on each lock change.
TEST_F(PanelCli, ShowReadsTheNamesOnEachLockChangeAsThePanelDoes) {
    constexpr std::uint8_t kTuner = 6;
    Start();
    ASSERT_EQ(Cli({"show", "6"}), kCliOk) << err;
    std::size_t polls = 0, names = 0;
    for (const sim::Request& r : rack_->engine.RequestLog()) {
        if (r.destination != kTuner) continue;
        polls += r.Command() == sim::kStatusCommand;
        names += r.Command() == sim::kListCommand;
    }
    // A twin of the tuner asked as often gives the locks the poller saw.
    auto twin = sim::MakeModule(sim::DefaultRack().modules[kTuner - 1]);
    int last = -1;
    std::size_t changes = 0;
    for (std::size_t poll = 0; poll < polls; ++poll) {
        const int lock = twin->Handle(sim::Request{kTuner, sim::kPcAddress, sim::kStatusCommand, {}}).payload.at(0);
        changes += lock != last;
        last = lock;
    }
    EXPECT_EQ(last, 2) << "polled until locked";
    EXPECT_GE(changes, 2u) << "searching, then locked";
    EXPECT_EQ(names, changes);
}

TEST_F(PanelCli, SetRefusesWhatItWouldHaveToInventOrCutAndWritesNothing) {
    const struct {
        std::string setting;
        std::string why;
    } cases[] = {
        {"service.4711.lcn=5", "service.4711.lcn: service 4711 is not on this pair"},
        {"service.4711.hdlcn=105", "service.4711.hdlcn: service 4711 is not on this pair"},
        {"network.name=" + std::string(31, 'N'), "network.name: takes at most 30 characters, not 31"},
        {"network.name=Nord\xFF", "network.name: character 5 is not UTF-8 text"},
        {"network.name=\x1b[2J", "network.name: character 1 is a control character"},
        {"network.name=Nord \xE2\x82\xAC", "network.name: character 6 is not in Latin-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.setting);
        Start();
        const Bytes before = ImageOf(7);
        EXPECT_EQ(Cli({"set", "7", "level=20", c.setting}), kCliUsage);
        EXPECT_NE(err.find(c.why), std::string::npos) << err;
        EXPECT_EQ(AllWrites(), 0u);
        EXPECT_EQ(ImageOf(7), before);
    }
    Start();
    EXPECT_EQ(Cli({"set", "7", "service.3002.lcn=7"}), kCliOk) << err << "a service the output carries";
}

// Every text a module or a file holds reaches the terminal with its control characters shown as '?'.
TEST_F(PanelCli, NamesFromModulesAndFilesNeverDriveTheTerminal) {
    const fs::path dir = fs::temp_directory_path() / ("kelvane-hostile-" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string clean = (dir / "clean.kcf").string(), hostile = (dir / "hostile.kcf").string();
    Start();
    ASSERT_EQ(Cli({"save", clean}), kCliOk) << err;
    Start(test::RackWithControlCharacters());
    ASSERT_EQ(Cli({"save", hostile}), kCliOk) << err;
    const std::string network = "?[2J?[31mNord", player = "?]2;HACKED?Play", file = "news?.ts";
    const struct {
        std::vector<std::string> args;
        std::vector<std::string> shown;
    } cases[] = {
        {{"show", "7"}, {network}},
        {{"set", "7", "level=20"}, {network}},
        {{"show", "4"}, {player}},
        {{"diff", clean, hostile}, {network, player, file}},
        {{"summary", hostile, "--offline"}, {file}},
        {{"upload", hostile}, {file}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        Cli(c.args);
        for (const std::string& text : c.shown) EXPECT_NE(out.find(text), std::string::npos) << out;
        const std::string all = out + err;
        EXPECT_EQ(std::count_if(all.begin(), all.end(),
                                [](char b) { return (b >= 0 && b < 0x20 && b != '\n') || b == 0x7F; }),
                  0)
            << all;
    }
    fs::remove_all(dir);
}

TEST_F(PanelCli, EveryCommandAnswersHelpAndRefusesInOneLineNamingTheOption) {
    Start();
    for (const std::string command : {"find", "modules", "firmware scan", "firmware upgrade", "firmware build", "show",
                                      "set", "save", "summary", "upload", "diff", "export", "apply", "watch", "cam"}) {
        SCOPED_TRACE(command);
        std::istringstream words(command + " --help");
        const std::vector<std::string> args{std::istream_iterator<std::string>(words), {}};
        EXPECT_EQ(Cli(args), kCliOk) << err;
        EXPECT_NE(out.find("\nUsage: kelvane-cli " + command + " "), std::string::npos) << out;
    }
    const struct {
        std::vector<std::string> args;
        std::string err;
    } refused[] = {
        {{"modules", "--bogus"}, "kelvane-cli: modules: unknown option '--bogus' (see kelvane-cli modules --help)\n"},
        {{"frobnicate"}, "kelvane-cli: unknown command 'frobnicate' (see kelvane-cli --help)\n"},
        {{"firmware", "frob"}, "kelvane-cli: firmware: unknown command 'frob' (see kelvane-cli firmware --help)\n"},
        {{"show"}, "kelvane-cli: show: ROW is missing (see kelvane-cli show --help)\n"},
        {{"show", "7", "8"}, "kelvane-cli: show: unexpected argument '8' (see kelvane-cli show --help)\n"},
        {{"watch", "--interval"},
         "kelvane-cli: watch: option --interval needs a value (see kelvane-cli watch --help)\n"},
        {{"watch", "--rows", "0"},
         "kelvane-cli: watch: --rows wants row numbers from 1 to 14 separated by commas, not '0' "
         "(see kelvane-cli watch --help)\n"},
        {{"summary", "--", "a.kcf", "--offline"},
         "kelvane-cli: summary: unexpected argument '--offline' (see "
         "kelvane-cli summary --help)\n"},
        {{"summary", "a.kcf", "--offline=no"},
         "kelvane-cli: summary: option --offline takes no value (see kelvane-cli "
         "summary --help)\n"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.args.front());
        EXPECT_EQ(Cli(r.args), kCliUsage);
        EXPECT_EQ(err, r.err);
    }
    EXPECT_TRUE(rack_->engine.RequestLog().empty()) << "nothing refused reaches the rack";
    // "--" ends the options: what follows is an argument even when it looks like one.
    EXPECT_EQ(Cli({"summary", "--offline", "--", "--odd.kcf"}), kCliFileError);
    EXPECT_NE(err.find("configuration file --odd.kcf cannot be opened"), std::string::npos) << err;
    EXPECT_EQ(Cli({"show", "--", "7"}), kCliOk) << err;
}

TEST(CliCommandLine, TheProgramsOptionsGoBeforeOrAfterTheCommand) {
    const struct {
        std::vector<std::string> args;
        std::string port, trace;
    } cases[] = {
        {{"--port", "COM3", "find"}, "COM3", "env.pcapng"},
        {{"find", "--port", "COM3"}, "COM3", "env.pcapng"},
        {{"firmware", "scan", "--port=tcp:rack:4001", "--trace", "t.pcapng"}, "tcp:rack:4001", "t.pcapng"},
        {{"set", "7", "level=20", "--trace=t.pcapng"}, "", "t.pcapng"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const CliCommandLine line = ReadCliCommandLine(c.args, "env.pcapng");
        EXPECT_TRUE(line.command) << line.text;
        EXPECT_EQ(line.program.portEntry, c.port);
        EXPECT_EQ(line.program.traceFile, c.trace);
    }
    const CliCommandLine empty = ReadCliCommandLine({"find", "--port="}, "");
    EXPECT_FALSE(empty.command);
    EXPECT_EQ(empty.status, kCliUsage);
    EXPECT_EQ(empty.text,
              "kelvane-cli: --port needs a port entry (a device, tcp:HOST:PORT or rfc2217:HOST:PORT) (see "
              "kelvane-cli --help)\n");
}

}  // namespace
}  // namespace kelvane
