// kelvane-cli watch against the simulator's rack in process, on the virtual clock: the rounds, the alarms, the
// exit statuses, the rows filter, and that watching never writes to the rack.

#include "sim/ModuleModels.h"
#include "sim/RackModules.h"
#include "tests/support/TempFolder.h"
#include "tests/watch/ReadBack.h"
#include "tests/watch/WatchedRack.h"
#include "tools/watch/RackWatch.h"
#include "app/DiscoveryExchanges.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <regex>

namespace kelvane::test {
namespace {

// The default rack: tuner, CI module, two-channel output; player, four-channel output; tuner, one-channel output.
constexpr std::uint8_t kTuner = 1, kCi = 2, kTwoChannels = 3, kPlayer = 4, kFourChannels = 5, kPlainTuner = 6,
                       kOneChannel = 7;
// More status polls than any receivable row needs to lock.
constexpr int kPollsToSettle = 8;

std::size_t Count(const std::vector<sim::Request>& log, std::uint8_t address, std::uint8_t command) {
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const sim::Request& r) {
        return r.destination == address && r.Command() == command;
    }));
}

// Status polls straight to the inputs, as an earlier watch or the window would have made, so that they have locked.
void SettleInputs(WatchedRack& rack) {
    for (int poll = 0; poll < kPollsToSettle; ++poll) {
        for (std::uint8_t input : {kTuner, kPlayer, kPlainTuner}) {
            rack.Engine().Handle(sim::Request{input, sim::kPcAddress, sim::kStatusCommand, {}});
        }
    }
}

// The lines of `text` that are alarms: each begins with its time.
std::vector<std::string> Alarms(const std::string& err) {
    std::vector<std::string> alarms;
    static const std::regex stamped(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ (.*)$)");
    for (const std::string& line : Lines(err)) {
        std::smatch m;
        EXPECT_TRUE(std::regex_match(line, m, stamped)) << "not an alarm with its time: " << line;
        if (m.size() == 2) alarms.push_back(m[1]);
    }
    return alarms;
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& line) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), line) - lines.begin());
}

TEST(WatchRounds, FiguresAreThoseTheModulesReport) {
    WatchedRack rack;
    ASSERT_TRUE(rack.Link().FindPort());
    SlotTable slots;
    ASSERT_FALSE(RunDiscoveryExchanges(rack.Link(), slots).inactiveRow);
    std::vector<int> unpaired;
    RackWatch watch(rack.Link(), slots, PairsToWatch(slots, {}, unpaired));
    EXPECT_TRUE(unpaired.empty());
    // A twin of the player and of the four-channel output, asked the same questions, gives the same figures:
    // every figure of the simulator is a function of the polls it received.
    const sim::RackDescription described = sim::DefaultRack();
    auto player = sim::MakeModule(described.modules[kPlayer - 1]);
    auto output = sim::MakeModule(described.modules[kFourChannels - 1]);
    for (int round = 0; round < 12; ++round) {
        const WatchRound r = watch.Poll(0);
        ASSERT_TRUE(r.rackFound);
        const sim::Reply status = player->Handle(sim::Request{kPlayer, sim::kPcAddress, sim::kStatusCommand, {}});
        const sim::Reply rates = output->Handle(sim::Request{kFourChannels, sim::kPcAddress, sim::kListCommand, {}});
        ASSERT_EQ(r.inputs.size(), 5u) << "tuner A, player A to C, tuner A";
        for (int in = 0; in < 3; ++in) {
            const InputReading& reading = r.inputs[1 + static_cast<std::size_t>(in)];
            EXPECT_EQ(reading.row, kPlayer);
            EXPECT_EQ(reading.input, in);
            EXPECT_EQ(reading.lock, status.payload.at(3 * static_cast<std::size_t>(in))) << "round " << round;
            EXPECT_EQ(reading.snr, status.payload.at(3 * static_cast<std::size_t>(in) + 1));
            EXPECT_EQ(reading.level, status.payload.at(3 * static_cast<std::size_t>(in) + 2));
        }
        EXPECT_TRUE(r.inputs[1].tuned && r.inputs[2].tuned);
        EXPECT_FALSE(r.inputs[3].tuned) << "the player's row C sits at 9750 MHz";
        ASSERT_EQ(r.channels.size(), 7u) << "2 + 4 + 1 channels";
        for (std::size_t k = 0; k < 4; ++k) {
            const ChannelReading& c = r.channels[2 + k];
            EXPECT_EQ(c.row, kFourChannels);
            EXPECT_EQ(c.channel, static_cast<int>(k + 1));
            const auto u32 = [&](std::size_t at) {
                return std::uint32_t{rates.payload.at(at)} << 24 | std::uint32_t{rates.payload.at(at + 1)} << 16 |
                       std::uint32_t{rates.payload.at(at + 2)} << 8 | rates.payload.at(at + 3);
            };
            EXPECT_EQ(c.inUse, u32(4 + 12 * k));
            EXPECT_EQ(c.capacity, u32(8 + 12 * k));
            ASSERT_EQ(c.services.size(), 1u) << "one service on each channel of this output";
        }
        if (round == 11) {
            EXPECT_EQ(r.channels[2].services[0].id, 2001);
            EXPECT_EQ(r.channels[2].services[0].name, "Citt\xc3\xa0 Nostra") << "names read once the row locked";
            EXPECT_NE(r.channels[2].services[0].rate, 0);
        }
    }
    EXPECT_EQ(watch.PollFailures(), 0u);
}

TEST(WatchRounds, NamesAreAskedOnlyWhenALockChanges) {
    WatchedRack rack;
    rack.Input(kTuner).PlanLockLoss(0, 10, 3);
    std::vector<int> locks;  // the tuner's lock, round by round
    const CliRun run = rack.WatchRounds({"--rows", "1"}, 30);
    ASSERT_EQ(run.status, kCliOk) << run.err;
    const ReadBack read = ReadWithPython("json", run.out);
    ASSERT_TRUE(read.parsed) << read.complaint;
    for (int round = 0; round < 30; ++round) {
        for (int lock = 0; lock <= 2; ++lock) {
            if (HasFact(read, std::to_string(round) + ":inputs[0].lock_state=" + std::to_string(lock)))
                locks.push_back(lock);
        }
    }
    ASSERT_EQ(locks.size(), 30u);
    std::size_t changes = 1;  // the first round always reads them
    for (std::size_t k = 1; k < locks.size(); ++k) changes += locks[k] != locks[k - 1];
    EXPECT_GE(changes, 5u) << "searching, carrier, lock, loss, carrier, lock";
    EXPECT_EQ(Count(rack.Requests(), kTuner, sim::kListCommand), changes);
    EXPECT_EQ(Count(rack.Requests(), kTuner, sim::kStatusCommand), 30u);
}

TEST(WatchRounds, WatchingNeverWritesAnImageNorRestartsAModule) {
    WatchedRack rack;
    rack.Input(kPlayer).PlanLockLoss(1, 5, 5);
    const CliRun run = rack.WatchRounds(
        {"--prometheus",
         (std::filesystem::temp_directory_path() / ("kelvane-never-" + std::to_string(getpid()) + ".prom")).string()},
        40, [&](std::size_t round) {
            rack.unplugged = round >= 20 && round < 24;  // and a rediscovery
            if (round == 30) rack.silent = {kTwoChannels};
        });
    ASSERT_EQ(run.status, kCliOk) << run.err;
    const auto log = rack.Requests();
    ASSERT_LT(rack.Engine().RequestCount(), sim::RackEngine::kRequestLogCapacity) << "the whole run is in the log";
    ASSERT_GT(log.size(), 200u);
    for (const sim::Request& r : log) {
        EXPECT_NE(r.Command(), sim::kWriteCommand) << "to " << int{r.destination};
        EXPECT_NE(r.Command(), sim::kRestartCommand) << "to " << int{r.destination};
        EXPECT_NE(r.Command(), sim::kFirmwareCommand) << "to " << int{r.destination};
    }
    EXPECT_EQ(Count(log, kCi, sim::kStatusCommand) + Count(log, kCi, sim::kListCommand), 0u)
        << "CI modules are not polled";
    std::filesystem::remove(std::filesystem::temp_directory_path() /
                            ("kelvane-never-" + std::to_string(getpid()) + ".prom"));
}

TEST(WatchRounds, RowsNameThePairsToWatch) {
    const auto polled = [](const std::vector<std::string>& rows) {
        WatchedRack rack;
        std::vector<std::string> args{"--rows"};
        args.insert(args.end(), rows.begin(), rows.end());
        const CliRun run = rack.WatchRounds(args, 2);
        EXPECT_EQ(run.status, kCliOk) << run.err;
        std::set<int> addresses;
        for (const sim::Request& r : rack.Requests()) {
            if (r.Command() == sim::kStatusCommand || r.Command() == sim::kListCommand) addresses.insert(r.destination);
        }
        addresses.erase(0);  // the controller lists the modules
        return addresses;
    };
    EXPECT_EQ(polled({"3"}), (std::set<int>{kTuner, kTwoChannels})) << "an output's row names its pair";
    EXPECT_EQ(polled({"3,1"}), (std::set<int>{kTuner, kTwoChannels})) << "one pair, polled once";
    EXPECT_EQ(polled({"7,4"}), (std::set<int>{kPlayer, kFourChannels, kPlainTuner, kOneChannel}));

    WatchedRack rack;
    const CliRun run = rack.WatchRounds({"--rows", "1,2"}, 1);
    EXPECT_EQ(run.status, kCliUsage);
    EXPECT_NE(run.err.find("row 2 is not part of an input/output pair"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << "nothing polled";
}

TEST(WatchOnce, ZeroOnlyWhenEverythingIsLockedAnsweringAndWithinCapacity) {
    {
        WatchedRack rack;
        const CliRun run = rack.Watch({"--once"}, [](auto&, auto&) { return true; });
        EXPECT_EQ(run.status, kCliFindings) << "fresh tuners are still searching\n" << run.err;
        EXPECT_NE(run.err.find("row 1 KXB200 input A: not locked"), std::string::npos) << run.err;
        EXPECT_EQ(Lines(run.out).size(), 12u) << "one round: five inputs and seven channels\n" << run.out;
    }
    {
        WatchedRack rack;
        SettleInputs(rack);
        const CliRun run = rack.Watch({"--once"}, [](auto&, auto&) { return true; });
        EXPECT_EQ(run.status, kCliOk) << run.err;
        EXPECT_EQ(run.err, "") << "nothing to tell";
    }
    {
        WatchedRack rack;
        rack.Input(kPlainTuner).PlanLockLoss(0, kPollsToSettle, 5);
        SettleInputs(rack);
        const CliRun run = rack.Watch({"--once", "--rows", "1"}, [](auto&, auto&) { return true; });
        EXPECT_EQ(run.status, kCliOk) << "the lost input is not in the rows watched\n" << run.err;
        const CliRun all = rack.Watch({"--once"}, [](auto&, auto&) { return true; });
        EXPECT_EQ(all.status, kCliFindings);
        EXPECT_NE(all.err.find("row 6 KXB210 input A: not locked (no lock"), std::string::npos) << all.err;
    }
    {
        WatchedRack rack;
        SettleInputs(rack);
        const CliRun run = rack.Watch({"--once"}, [&](auto&, auto&) {
            rack.silent = {kOneChannel};  // after discovery, which would have found it inactive
            return true;
        });
        EXPECT_EQ(run.status, kCliFindings);
        EXPECT_NE(run.err.find("row 7 KXD400: not answering"), std::string::npos) << run.err;
        EXPECT_NE(run.out.find("row 7 KXD400 channel 1: no answer"), std::string::npos) << run.out;
    }
    {
        WatchedRack rack;
        rack.unplugged = true;
        const CliRun run = rack.Watch({"--once"}, [](auto&, auto&) { return true; });
        EXPECT_EQ(run.status, kCliRackNotFound);
        EXPECT_NE(run.err.find("no rack answered"), std::string::npos) << run.err;
    }
}

TEST(WatchOnce, APrometheusFileThatCannotBeWrittenIsAFileError) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("kelvane-unwritable-" + std::to_string(getpid()));
    const std::string file = (dir / "kelvane.prom").string();
    fs::remove_all(dir);
    {
        WatchedRack rack;
        SettleInputs(rack);
        const CliRun run = rack.Watch({"--once", "--prometheus", file}, [](auto&, auto&) { return true; });
        EXPECT_EQ(run.status, kCliFileError);
        EXPECT_NE(run.err.find("cannot write " + file + ": "), std::string::npos) << run.err;
    }
    // Watching on, the failure is told once, and so is its end.
    WatchedRack rack;
    SettleInputs(rack);
    const CliRun run = rack.WatchRounds({"--prometheus", file}, 6, [&](std::size_t round) {
        if (round == 3) fs::create_directories(dir);
    });
    EXPECT_EQ(run.status, kCliOk);
    const std::vector<std::string> alarms = Alarms(run.err);
    ASSERT_EQ(alarms.size(), 2u) << run.err;
    EXPECT_EQ(alarms[0].rfind("cannot write " + file + ": ", 0), 0u) << alarms[0];
    EXPECT_EQ(alarms[1], file + " written again");
    const ReadBack read = ReadWithPython("prometheus", [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }());
    EXPECT_TRUE(read.parsed) << read.complaint;
    EXPECT_TRUE(HasFact(read, "sample kelvane_rack_up{rack=\"engine 0\"} 1.0")) << read.facts;
    fs::remove_all(dir);
}

// A file left with the figures of the last rack seen would tell a collector that all is still well.
TEST(WatchOnce, WithoutTheRackThePrometheusFileSaysSo) {
    const TempFolder folder("watch-lost");
    const std::string file = folder.Path("kelvane.prom").string();
    const auto rackUp = [&] {
        const ReadBack read = ReadWithPython("prometheus", folder.Text("kelvane.prom"));
        EXPECT_TRUE(read.parsed) << read.complaint;
        // Found, the rack is known by its port; never found, by nothing (the whole table was searched).
        return HasFact(read, "sample kelvane_rack_up{rack=\"engine 0\"} 1.0") ? 1
               : HasFact(read, "sample kelvane_rack_up{rack=\"\"} 0.0")       ? 0
                                                                              : -1;
    };
    {
        WatchedRack rack;
        SettleInputs(rack);
        rack.Watch({"--once", "--prometheus", file}, [](auto&, auto&) { return true; });
        ASSERT_EQ(rackUp(), 1);
    }
    WatchedRack rack;
    rack.unplugged = true;
    const CliRun run = rack.Watch({"--once", "--prometheus", file}, [](auto&, auto&) { return true; });
    EXPECT_EQ(run.status, kCliRackNotFound);
    EXPECT_EQ(rackUp(), 0);
}

TEST(WatchAlarmsAgainstTheRack, LockLossSilentModuleAndLostRackAreToldWithTheirTimeAndWatchingResumes) {
    WatchedRack rack;
    SettleInputs(rack);
    rack.Input(kTuner).PlanLockLoss(0, 5, 3);
    const CliRun run = rack.WatchRounds({}, 40, [&](std::size_t round) {
        if (round == 15) rack.silent = {kOneChannel};
        if (round == 18) rack.silent.clear();
        rack.unplugged = round >= 25 && round < 30;
    });
    ASSERT_EQ(run.status, kCliOk) << run.err;
    const std::vector<std::string> alarms = Alarms(run.err);
    const std::vector<std::string> expected = {
        "row 1 KXB200 input A: lock lost (no lock",
        "row 1 KXB200 input A: lock regained (locked",
        "row 7 KXD400: stopped answering",
        "row 7 KXD400: answering again",
        "rack lost: searching",
        "rack found again on engine 0",
    };
    std::size_t last = 0;
    for (const std::string& start : expected) {
        const auto at =
            std::find_if(alarms.begin(), alarms.end(), [&](const std::string& a) { return a.rfind(start, 0) == 0; });
        ASSERT_NE(at, alarms.end()) << start << "\n" << run.err;
        const std::size_t index = static_cast<std::size_t>(at - alarms.begin());
        EXPECT_GE(index, last) << start << " came too early\n" << run.err;
        last = index;
    }
    EXPECT_EQ(alarms.size(), expected.size()) << "each change told once, and nothing else\n" << run.err;

    const ReadBack read = ReadWithPython("json", run.out);
    ASSERT_TRUE(read.parsed) << read.complaint;
    EXPECT_TRUE(HasFact(read, "24:rack.found=true"));
    EXPECT_TRUE(HasFact(read, "26:rack.found=false")) << read.facts;
    EXPECT_TRUE(HasFact(read, "26:modules[0].answering=false")) << "the modules last seen, none answering";
    EXPECT_TRUE(HasFact(read, "39:rack.found=true")) << "watching resumed by itself";
    EXPECT_TRUE(HasFact(read, "39:all_well=true"));
    EXPECT_FALSE(HasFact(read, "39:poll_failures=0")) << "the failures are counted";
    EXPECT_EQ(IndexOf(Lines(run.out), ""), Lines(run.out).size()) << "no empty lines";
}

TEST(WatchOutput, TerminalGetsTheTableRedrawnInPlaceAndPipesGetLines) {
    WatchedRack rack;
    SettleInputs(rack);
    rack.outIsTerminal = true;
    std::size_t rounds = 0;
    const CliRun run = rack.Watch({"--rows", "6"}, [&](const std::string& out, const std::string&) {
        rounds = 0;
        for (std::size_t at = out.find("\x1b[H\x1b[2J"); at != std::string::npos;
             at = out.find("\x1b[H\x1b[2J", at + 1))
            ++rounds;
        return rounds < 3;
    });
    ASSERT_EQ(run.status, kCliOk);
    const std::string lastScreen = run.out.substr(run.out.rfind("\x1b[H\x1b[2J"));
    EXPECT_NE(lastScreen.find("rack on engine 0"), std::string::npos) << lastScreen;
    EXPECT_NE(lastScreen.find("  6  KXB210   input A    locked"), std::string::npos) << lastScreen;
    EXPECT_NE(lastScreen.find("  7  KXD400   channel 1"), std::string::npos) << lastScreen;
    EXPECT_EQ(Lines(lastScreen).size(), 5u) << "heading, blank, columns, one input, one channel\n" << lastScreen;

    WatchedRack piped;
    SettleInputs(piped);
    const CliRun lines =
        piped.Watch({"--rows", "6"}, [](const std::string& out, const std::string&) { return Lines(out).size() < 6; });
    EXPECT_EQ(lines.out.find('\x1b'), std::string::npos);
    EXPECT_EQ(Lines(lines.out).size(), 6u) << "three rounds of two lines, appended\n" << lines.out;
}

TEST(WatchOutput, RoundsKeepTheirIntervalOnTheClock) {
    WatchedRack rack;
    const CliRun run = rack.WatchRounds({"--interval", "2.5", "--rows", "1"}, 4);
    ASSERT_EQ(run.status, kCliOk) << run.err;
    std::vector<std::uint64_t> polls;  // each round begins with the input's status poll
    for (const auto& [tick, request] : rack.heardAt) {
        if (request.destination == kTuner && request.Command() == sim::kStatusCommand) polls.push_back(tick);
    }
    ASSERT_EQ(polls.size(), 4u);
    for (std::size_t k = 1; k < polls.size(); ++k) EXPECT_EQ(polls[k] - polls[k - 1], 2500u) << k;
}

TEST(WatchInUse, ALineHeldByAnotherProgramIsInUseNotLostAndWatchedAgainOnceFree) {
    const TempFolder folder("watch-in-use");
    const std::string prom = folder.Path("kelvane.prom").string();
    WatchedRack rack;
    SettleInputs(rack);
    std::string heldFile;  // the Prometheus file as the last round in use left it
    const CliRun run = rack.WatchRounds({"--prometheus", prom}, 10, [&](std::size_t round) {
        if (round == 7) heldFile = folder.Text("kelvane.prom");
        rack.busy = round >= 4 && round < 7;
    });
    ASSERT_EQ(run.status, kCliOk) << run.err;
    EXPECT_EQ(run.err, "") << "no alarm: the rack was never lost";
    const ReadBack read = ReadWithPython("json", run.out);
    ASSERT_TRUE(read.parsed) << read.complaint;
    const std::pair<int, bool> rounds[] = {{3, false}, {4, true}, {6, true}, {7, false}, {9, false}};
    for (const auto& [round, inUse] : rounds) {
        SCOPED_TRACE(round);
        const std::string at = std::to_string(round) + ":";
        EXPECT_TRUE(HasFact(read, at + "rack.in_use=" + (inUse ? "true" : "false"))) << read.facts.substr(0, 3000);
        EXPECT_TRUE(HasFact(read, at + "rack.found=true")) << "as last known";
        EXPECT_EQ(HasFact(read, at + "inputs[0].lock_state=2"), !inUse) << "figures only from a round that polled";
        EXPECT_EQ(HasFact(read, at + "all_well=true"), !inUse);
        EXPECT_TRUE(HasFact(read, at + "poll_failures=0")) << "a round in use is no failure";
    }
    const ReadBack metrics = ReadWithPython("prometheus", heldFile);
    ASSERT_TRUE(metrics.parsed) << metrics.complaint;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_rack_in_use{rack=\"engine 0\"} 1.0")) << metrics.facts;
    EXPECT_TRUE(HasFact(metrics, "sample kelvane_rack_up{rack=\"engine 0\"} 1.0")) << metrics.facts;
    EXPECT_EQ(metrics.facts.find("sample kelvane_input_level"), std::string::npos) << "no figure that was not read";
    EXPECT_EQ(Count(rack.Requests(), kTuner, sim::kStatusCommand), 7u) << "seven rounds polled, three were in use";

    WatchedRack once;
    SettleInputs(once);
    const CliRun held = once.Watch({"--once"}, [&](auto&, auto&) { return once.busy = true; });
    EXPECT_EQ(held.status, kCliPortBusy) << held.err;
    EXPECT_NE(held.out.find("rack on engine 0: in use by another program"), std::string::npos) << held.out;
}

// Every command that searches waits for a port in use, on the clock, up to --wait-busy.
TEST(WaitBusy, ACommandWaitsForAPortInUseThenGivesUpWithEight) {
    struct Case {
        std::vector<std::string> args;
        std::uint64_t heldMs;
        int status;
        std::uint64_t waitedAtLeastMs, waitedAtMostMs;
    };
    const Case cases[] = {
        {{"modules"}, 1200, kCliOk, 1200, 1400},
        {{"--wait-busy", "0.5", "modules"}, 1200, kCliPortBusy, 500, 700},
        {{"modules", "--wait-busy=0"}, 1200, kCliPortBusy, 0, 100},
        {{"modules"}, 60'000, kCliPortBusy, 5000, 5200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.front() + " " + c.args.back());
        WatchedRack rack;
        rack.busyUntilMs = rack.Clock().TickCount() + c.heldMs;
        std::ostringstream out, err;
        CliContext cli{rack.Link(), rack.Ports(), rack.Clock(), out, err, std::filesystem::temp_directory_path()};
        const std::uint64_t start = rack.Clock().TickCount();
        EXPECT_EQ(RunCli(c.args, cli), c.status) << err.str();
        const std::uint64_t searched = rack.Clock().TickCount() - start;
        EXPECT_GE(searched, c.waitedAtLeastMs);
        EXPECT_LE(searched, c.waitedAtMostMs + (c.status == kCliOk ? 1000 : 0)) << "discovery takes its time";
        if (c.status != kCliOk) {
            EXPECT_NE(err.str().find("engine 0"), std::string::npos) << "the port in use named";
        }
    }
    WatchedRack rack;
    std::ostringstream out, err;
    CliContext cli{rack.Link(), rack.Ports(), rack.Clock(), out, err, std::filesystem::temp_directory_path()};
    EXPECT_EQ(RunCli({"--wait-busy", "-1", "modules"}, cli), kCliUsage);
    EXPECT_NE(err.str().find("--wait-busy wants seconds from 0 to 600, not '-1'"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace kelvane::test
