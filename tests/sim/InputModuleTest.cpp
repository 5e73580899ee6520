#include "sim/ConfigImages.h"
#include "sim/InputModule.h"
#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "sim/RackModules.h"
#include "tests/sim/HexBytes.h"
#include "tests/sim/ModuleReplies.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

namespace kelvane::sim {
namespace {

using namespace test;

// Polls before any receivable row must have locked: the model promises six, this leaves room.
constexpr int kPatientPolls = 12;
constexpr int kLongRun = 300;

std::unique_ptr<Module> Unit(std::uint8_t type, std::uint8_t address, std::vector<std::uint8_t> image) {
    return MakeModule(ModuleDescription{type, address, 10, true, std::move(image)});
}

std::vector<std::uint8_t> TunerImageAt(int frequencyMHz, std::uint16_t symbolRate = 27500,
                                       std::vector<InputService> services = {{1101, 1}, {1102, 0}}) {
    const InputRow row{frequencyMHz, symbolRate, FecByte(2), std::move(services)};
    return InputImage({&row, 1});
}

std::vector<std::uint8_t> DefaultImageOf(std::uint8_t address) {
    for (const ModuleDescription& m : DefaultRack().modules) {
        if (m.address == address) return m.config;
    }
    ADD_FAILURE() << "no module at " << int{address};
    return {};
}

struct RowStatus {
    int lock = -1;
    int snr = -1;
    int level = -1;
};

struct StatusRead {
    std::vector<RowStatus> rows;
    int player = -1;
};

// One status poll, read as 3 bytes per row and the player byte; the size must be exactly that.
StatusRead Poll(Module& module, int rows) {
    StatusRead status;
    const auto payload = Ask(module, kStatusCommand);
    EXPECT_TRUE(payload.has_value());
    if (!payload) return status;
    EXPECT_EQ(payload->size(), static_cast<std::size_t>(3 * rows + 1));
    if (payload->size() != static_cast<std::size_t>(3 * rows + 1)) return status;
    for (int r = 0; r < rows; ++r) {
        const std::size_t at = static_cast<std::size_t>(3 * r);
        status.rows.push_back({(*payload)[at], (*payload)[at + 1], (*payload)[at + 2]});
    }
    status.player = payload->back();
    return status;
}

// Polls until row `row` reports a lock; the number of polls it took, or 0 when it never did.
int PollsToLock(Module& module, int rows, int row = 0) {
    for (int poll = 1; poll <= kPatientPolls; ++poll) {
        const StatusRead s = Poll(module, rows);
        if (s.rows.size() > static_cast<std::size_t>(row) && s.rows[static_cast<std::size_t>(row)].lock == 2)
            return poll;
    }
    return 0;
}

NamesReplyRead Names(Module& module, int rows) {
    const auto payload = Ask(module, kListCommand);
    EXPECT_TRUE(payload.has_value());
    return ReadNamesReply(payload.value_or(std::vector<std::uint8_t>{}), rows);
}

const AnnouncedRead* Find(const NamesRowRead& row, std::uint16_t id) {
    const auto it =
        std::find_if(row.services.begin(), row.services.end(), [id](const AnnouncedRead& s) { return s.id == id; });
    return it == row.services.end() ? nullptr : &*it;
}

// --- status poll ---

TEST(InputStatus, TunerRowSearchesFindsTheCarrierThenLocks) {
    auto tuner = Unit(kKXB200, 1, TunerImageAt(11362));
    std::vector<int> locks;
    for (int poll = 0; poll < kPatientPolls; ++poll) {
        const StatusRead s = Poll(*tuner, 1);
        ASSERT_EQ(s.rows.size(), 1u);
        EXPECT_EQ(s.player, 0) << "a tuner has no player";
        locks.push_back(s.rows[0].lock);
    }
    EXPECT_EQ(locks.front(), 0) << "the first poll after start-up finds no lock";
    EXPECT_TRUE(std::is_sorted(locks.begin(), locks.end())) << "the lock only improves while nothing changes";
    EXPECT_NE(std::find(locks.begin(), locks.end(), 1), locks.end()) << "the carrier is found before the lock";
    EXPECT_EQ(locks.back(), 2);
}

TEST(InputStatus, LockedFiguresWanderWithinABelievableRange) {
    auto tuner = Unit(kKXB200, 1, TunerImageAt(11362));
    ASSERT_NE(PollsToLock(*tuner, 1), 0);
    std::set<int> snrs, levels;
    RowStatus previous = Poll(*tuner, 1).rows.at(0);
    for (int poll = 0; poll < kLongRun; ++poll) {
        const RowStatus now = Poll(*tuner, 1).rows.at(0);
        EXPECT_EQ(now.lock, 2);
        EXPECT_GE(now.snr, 50);
        EXPECT_LE(now.snr, 100);
        EXPECT_GE(now.level, 30);
        EXPECT_LE(now.level, 100);
        // A reading drifts; it does not jump from one poll to the next.
        EXPECT_LE(std::abs(now.snr - previous.snr), 4);
        EXPECT_LE(std::abs(now.level - previous.level), 2);
        snrs.insert(now.snr);
        levels.insert(now.level);
        previous = now;
    }
    EXPECT_GT(snrs.size(), 3u);
    EXPECT_GT(levels.size(), 2u);
}

TEST(InputStatus, RowOutsideTheSatelliteBandOrWithoutSymbolRateNeverLocks) {
    for (const auto& [frequency, symbolRate] :
         {std::pair{10699, 27500}, std::pair{12751, 27500}, std::pair{11362, 0}}) {
        SCOPED_TRACE(frequency);
        auto tuner = Unit(kKXB200, 1, TunerImageAt(frequency, static_cast<std::uint16_t>(symbolRate)));
        for (int poll = 0; poll < 3 * kPatientPolls; ++poll) {
            const RowStatus row = Poll(*tuner, 1).rows.at(0);
            EXPECT_EQ(row.lock, 0);
            EXPECT_LT(row.snr, 10);
            EXPECT_LT(row.level, 20) << "only the noise floor";
        }
    }
    // The band edges themselves are receivable.
    EXPECT_NE(PollsToLock(*Unit(kKXB200, 1, TunerImageAt(10700)), 1), 0);
    EXPECT_NE(PollsToLock(*Unit(kKXB200, 1, TunerImageAt(12750)), 1), 0);
}

TEST(InputStatus, SamePollsGiveSameFiguresAndModulesDoNotMoveInStep) {
    auto first = Unit(kKXB200, 1, TunerImageAt(11362));
    auto twin = Unit(kKXB200, 1, TunerImageAt(11362));
    auto other = Unit(kKXB200, 2, TunerImageAt(11362));
    bool differs = false;
    for (int poll = 0; poll < 50; ++poll) {
        const auto a = Ask(*first, kStatusCommand);
        EXPECT_EQ(a, Ask(*twin, kStatusCommand)) << "poll " << poll;
        differs = differs || a != Ask(*other, kStatusCommand);
    }
    EXPECT_TRUE(differs);
}

TEST(InputStatus, NewTuningRelocksButOtherEditsKeepTheLock) {
    auto tuner = Unit(kKXB200, 1, TunerImageAt(11362));
    ASSERT_NE(PollsToLock(*tuner, 1), 0);

    ASSERT_TRUE(tuner->Handle(Request{1, kPcAddress, kWriteCommand, TunerImageAt(11362, 27500, {{1101, 0}})}).accepted);
    EXPECT_EQ(Poll(*tuner, 1).rows.at(0).lock, 2) << "a CAM or service change does not touch the tuner";

    ASSERT_TRUE(tuner->Handle(Request{1, kPcAddress, kWriteCommand, TunerImageAt(11423, 27500, {{1101, 0}})}).accepted);
    EXPECT_EQ(Poll(*tuner, 1).rows.at(0).lock, 0);
    EXPECT_NE(PollsToLock(*tuner, 1), 0);

    ASSERT_TRUE(tuner->Handle(Request{1, kPcAddress, kWriteCommand, TunerImageAt(9800)}).accepted);
    for (int poll = 0; poll < kPatientPolls; ++poll) EXPECT_EQ(Poll(*tuner, 1).rows.at(0).lock, 0);
}

TEST(InputStatus, RackRestartMakesEveryRowAcquireAgain) {
    auto player = Unit(kKXC300, 4, DefaultImageOf(4));
    ASSERT_NE(PollsToLock(*player, 3, 1), 0);
    player->Handle(Request{kBroadcastAddress, kPcAddress, kFirmwareCommand | 1, {0x03}});
    const StatusRead s = Poll(*player, 3);
    ASSERT_EQ(s.rows.size(), 3u);
    EXPECT_EQ(s.rows[0].lock, 0);
    EXPECT_EQ(s.rows[1].lock, 0);
    EXPECT_NE(PollsToLock(*player, 3, 0), 0);
}

TEST(InputStatus, PlayerReportsThreeRowsAndItsFiles) {
    auto player = Unit(kKXC300, 4, DefaultImageOf(4));
    StatusRead last;
    for (int poll = 0; poll < kPatientPolls; ++poll) last = Poll(*player, 3);
    ASSERT_EQ(last.rows.size(), 3u);
    EXPECT_EQ(last.rows[0].lock, 2);
    EXPECT_EQ(last.rows[1].lock, 2);
    EXPECT_EQ(last.rows[2].lock, 0) << "the third row sits at 9750 MHz, outside the band";
    EXPECT_NE(last.player, 0) << "the player has files";
}

TEST(InputStatus, PlannedLockLossTakesOneRowsCarrierForItsPollsThenItRelocks) {
    auto unit = Unit(kKXC300, 4, DefaultImageOf(4));
    auto& player = dynamic_cast<InputModule&>(*unit);
    EXPECT_FALSE(player.PlanLockLoss(3, 1, 1)) << "the player has rows A to C only";
    constexpr int kAfter = 10;
    constexpr int kFor = 5;
    ASSERT_TRUE(player.PlanLockLoss(1, kAfter, kFor));
    StatusRead s;
    for (int poll = 1; poll <= kAfter; ++poll) s = Poll(player, 3);
    ASSERT_EQ(s.rows.size(), 3u);
    ASSERT_EQ(s.rows[1].lock, 2) << "row B had locked before its loss";
    for (int poll = kAfter + 1; poll <= kAfter + kFor; ++poll) {
        s = Poll(player, 3);
        ASSERT_EQ(s.rows.size(), 3u);
        EXPECT_EQ(s.rows[0].lock, 2) << "row A does not notice";
        EXPECT_EQ(s.rows[1].lock, 0) << "poll " << poll;
        EXPECT_LT(s.rows[1].level, 20) << "only the noise floor";
        const NamesReplyRead names = Names(player, 3);
        ASSERT_EQ(names.rows.size(), 3u);
        EXPECT_TRUE(names.rows[1].services.empty()) << "no service information without the carrier";
    }
    EXPECT_NE(PollsToLock(player, 3, 1), 0) << "row B acquires its transponder again";
    EXPECT_FALSE(Names(player, 3).rows.at(1).services.empty());
    for (int poll = 0; poll < kLongRun; ++poll) EXPECT_EQ(Poll(player, 3).rows.at(1).lock, 2) << "the loss comes once";
}

// --- service names ---

TEST(InputNames, UnlockedRowsAnnounceNothing) {
    auto tuner = Unit(kKXB200, 1, DefaultImageOf(1));
    EXPECT_EQ(Ask(*tuner, kListCommand), std::vector<std::uint8_t>{0x00}) << "before any poll";
    Poll(*tuner, 1);
    EXPECT_EQ(Ask(*tuner, kListCommand), std::vector<std::uint8_t>{0x00}) << "still searching";
}

TEST(InputNames, LockedTunerAnnouncesItsConfiguredServicesAndMore) {
    const std::vector<std::uint8_t> image = DefaultImageOf(1);
    ImageReader in(image);
    const InputRowRead configured = ReadInputRow(in);
    auto tuner = Unit(kKXB200, 1, image);
    ASSERT_NE(PollsToLock(*tuner, 1), 0);

    const NamesReplyRead reply = Names(*tuner, 1);
    ASSERT_TRUE(reply.exact);
    const NamesRowRead& row = reply.rows.at(0);
    std::set<std::uint16_t> ids;
    for (const AnnouncedRead& s : row.services) {
        EXPECT_TRUE(ids.insert(s.id).second) << "announced twice: " << s.id;
        EXPECT_FALSE(s.name.empty());
        EXPECT_EQ(s.flags & ~0x03, 0) << "only the television and scrambled bits";
        EXPECT_EQ(s.Television(), s.id % 100 < 50) << "radios are numbered x50 and up: " << s.id;
    }
    for (std::size_t i = 0; i < configured.ids.size(); ++i) {
        const AnnouncedRead* s = Find(row, configured.ids[i]);
        ASSERT_NE(s, nullptr) << configured.ids[i];
        EXPECT_EQ(s->Scrambled(), configured.cams[i] != 0) << "a service sent through a CAM is scrambled";
    }
    EXPECT_GT(row.services.size(), configured.ids.size()) << "more services than those passed on";
    EXPECT_LE(row.services.size(), 64u);
    EXPECT_NE(row.secondWord, 0) << "the original network";
}

TEST(InputNames, LineUpsMixKindsScramblingAndBroadcastNameCodes) {
    std::vector<AnnouncedRead> all;
    for (std::uint8_t address : {1, 6}) {
        auto tuner = Unit(address == 1 ? kKXB200 : kKXB210, address, DefaultImageOf(address));
        ASSERT_NE(PollsToLock(*tuner, 1), 0);
        const NamesReplyRead reply = Names(*tuner, 1);
        ASSERT_TRUE(reply.exact);
        all.insert(all.end(), reply.rows[0].services.begin(), reply.rows[0].services.end());
    }
    const auto any = [&](auto predicate) { return std::any_of(all.begin(), all.end(), predicate); };
    EXPECT_TRUE(any([](const AnnouncedRead& s) { return s.Television(); }));
    EXPECT_TRUE(any([](const AnnouncedRead& s) { return !s.Television(); }));
    EXPECT_TRUE(any([](const AnnouncedRead& s) { return s.Scrambled(); }));
    EXPECT_TRUE(any([](const AnnouncedRead& s) { return !s.Scrambled(); }));
    const auto holds = [](const std::string& name, unsigned char byte) {
        return name.find(static_cast<char>(byte)) != std::string::npos;
    };
    EXPECT_TRUE(any([&](const AnnouncedRead& s) { return holds(s.name, 0x86) && holds(s.name, 0x87); }))
        << "an emphasised word";
    EXPECT_TRUE(any([&](const AnnouncedRead& s) { return holds(s.name, 0xE9); })) << "an e acute in Latin-1";
    EXPECT_TRUE(any([&](const AnnouncedRead& s) { return holds(s.name, 0xFC); })) << "a u umlaut in Latin-1";
    for (const AnnouncedRead& s : all) {
        // The UTF-8 forms of e acute and u umlaut would show as two characters each.
        EXPECT_EQ(s.name.find("\xC3\xA9"), std::string::npos) << s.name;
        EXPECT_EQ(s.name.find("\xC3\xBC"), std::string::npos) << s.name;
    }
}

TEST(InputNames, LineUpOutlivesConfigurationEditsAndTakesNewServices) {
    auto tuner = Unit(kKXB200, 1, TunerImageAt(11362, 27500, {{1101, 1}, {1102, 0}, {1103, 0}}));
    ASSERT_NE(PollsToLock(*tuner, 1), 0);
    const NamesRowRead before = Names(*tuner, 1).rows.at(0);
    const AnnouncedRead* dropped = Find(before, 1102);
    ASSERT_NE(dropped, nullptr);

    // The operator takes 1102 off and adds a service numbered out of the line-up.
    tuner->Handle(Request{1, kPcAddress, kWriteCommand, TunerImageAt(11362, 27500, {{1101, 1}, {1103, 0}, {1177, 0}})});
    const NamesRowRead after = Names(*tuner, 1).rows.at(0);
    const AnnouncedRead* still = Find(after, 1102);
    ASSERT_NE(still, nullptr) << "a service taken off the configuration can be chosen again";
    EXPECT_EQ(still->name, dropped->name);
    EXPECT_NE(Find(after, 1177), nullptr);
    EXPECT_EQ(after.services.size(), before.services.size() + 1);
}

TEST(InputNames, PlayerRowsAnnounceFewAndNeverThePlayedService) {
    const std::vector<std::uint8_t> image = DefaultImageOf(4);
    ImageReader in(image);
    std::vector<InputRowRead> configured;
    for (int r = 0; r < 3; ++r) configured.push_back(ReadInputRow(in));
    const std::uint16_t played = in.U16();

    auto player = Unit(kKXC300, 4, image);
    for (int poll = 0; poll < kPatientPolls; ++poll) Poll(*player, 3);
    const NamesReplyRead reply = Names(*player, 3);
    ASSERT_TRUE(reply.exact);
    ASSERT_EQ(reply.rows.size(), 3u);
    for (int r = 0; r < 2; ++r) {
        const NamesRowRead& row = reply.rows[static_cast<std::size_t>(r)];
        for (std::uint16_t id : configured[static_cast<std::size_t>(r)].ids) EXPECT_NE(Find(row, id), nullptr) << id;
        EXPECT_LE(row.services.size(), configured[static_cast<std::size_t>(r)].ids.size() + 1);
        EXPECT_EQ(Find(row, played), nullptr);
    }
    EXPECT_TRUE(reply.rows[2].services.empty()) << "the unlocked row ends after its count";
}

// --- file list ---

TEST(InputFiles, PlayerListsItsFilesAndThoseItsScheduleNames) {
    const std::vector<std::uint8_t> image = DefaultImageOf(4);
    ImageReader in(image);
    for (int r = 0; r < 3; ++r) ReadInputRow(in);
    in.U16();
    std::vector<std::string> scheduled;
    for (int e = in.U8(); e > 0; --e) {
        in.U32();
        in.U32();
        scheduled.push_back(in.Text());
    }

    auto player = Unit(kKXC300, 4, image);
    const auto payload = Ask(*player, kFileListCommand);
    ASSERT_TRUE(payload.has_value());
    ImageReader list(*payload);
    list.U16();
    const std::uint16_t count = list.U16();
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) files.push_back(list.Text());
    EXPECT_TRUE(list.AtEnd());
    EXPECT_FALSE(list.overrun);
    EXPECT_GE(files.size(), 3u);
    EXPECT_NE(std::find(files.begin(), files.end(), "clip_\xE9t\xE9.ts"), files.end()) << "Latin-1 bytes";
    for (const std::string& name : scheduled)
        EXPECT_NE(std::find(files.begin(), files.end(), name), files.end()) << name;
    EXPECT_EQ(std::set<std::string>(files.begin(), files.end()).size(), files.size());
}

TEST(InputFiles, OnlyThePlayerHasAFileList) {
    EXPECT_FALSE(Ask(*Unit(kKXB200, 1, DefaultImageOf(1)), kFileListCommand).has_value());
    EXPECT_FALSE(Ask(*Unit(kKXB210, 6, DefaultImageOf(6)), kFileListCommand).has_value());
}

// --- bounds ---

TEST(InputBounds, EmptyImagesStillGiveWholeReplies) {
    for (std::uint8_t type : {kKXB200, kKXB210, kKXC300}) {
        SCOPED_TRACE(int{type});
        auto input = Unit(type, 9, {});
        const int rows = InputRowCount(type);
        for (int poll = 0; poll < kPatientPolls; ++poll) {
            const StatusRead s = Poll(*input, rows);
            for (const RowStatus& row : s.rows) EXPECT_EQ(row.lock, 0);
        }
        EXPECT_EQ(Ask(*input, kListCommand), std::vector<std::uint8_t>(static_cast<std::size_t>(rows), 0x00));
    }
}

TEST(InputBounds, EveryCutOfAnImageIsReadSafely) {
    for (std::uint8_t address : {1, 4}) {
        const std::vector<std::uint8_t> image = DefaultImageOf(address);
        const std::uint8_t type = address == 4 ? kKXC300 : kKXB200;
        const int rows = InputRowCount(type);
        for (std::size_t length = 0; length <= image.size(); ++length) {
            SCOPED_TRACE(length);
            auto input =
                Unit(type, address,
                     std::vector<std::uint8_t>(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length)));
            for (int poll = 0; poll < kPatientPolls; ++poll) Poll(*input, rows);
            EXPECT_TRUE(Names(*input, rows).exact);
            if (type == kKXC300) {
                EXPECT_TRUE(Ask(*input, kFileListCommand).has_value());
            }
        }
    }
}

TEST(InputBounds, CountsBeyondTheImageAreNotBelieved) {
    // A row announcing 255 services with only two ids present, then nothing.
    auto tuner = Unit(kKXB200, 1, Hex("06 4C 6B 6C 10 FF 04 4D 04 4E"));
    ASSERT_NE(PollsToLock(*tuner, 1), 0);
    const NamesReplyRead reply = Names(*tuner, 1);
    ASSERT_TRUE(reply.exact);
    EXPECT_NE(Find(reply.rows.at(0), 0x044D), nullptr);
    EXPECT_NE(Find(reply.rows.at(0), 0x044E), nullptr);
    EXPECT_LE(reply.rows.at(0).services.size(), 64u);
}

TEST(InputBounds, InactiveInputAnswersOnlyItsIdentity) {
    auto tuner = MakeModule(ModuleDescription{kKXB200, 1, 10, false, DefaultImageOf(1)});
    EXPECT_FALSE(Ask(*tuner, kStatusCommand).has_value());
    EXPECT_FALSE(Ask(*tuner, kListCommand).has_value());
    EXPECT_TRUE(Ask(*tuner, kIdentityCommand).has_value());
}

}  // namespace
}  // namespace kelvane::sim
