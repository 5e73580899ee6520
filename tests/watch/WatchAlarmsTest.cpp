// Alarms from one round to the next: what changed is told once, what stays as it was is not told again.

#include "tools/watch/WatchAlarms.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

WatchRound Round(std::uint8_t lock, bool inputAnswered, std::uint32_t inUse, bool outputAnswered) {
    WatchRound r;
    r.rackFound = true;
    r.modules = {{1, "KXB200", inputAnswered}, {3, "KXD410", outputAnswered}};
    r.inputs = {{1, "KXB200", 0, true, inputAnswered, lock, 70, 60, 4},
                {1, "KXB200", 1, false, inputAnswered, 0, 5, 1, 0}};
    r.channels = {{3, "KXD410", 2, outputAnswered, inUse, 24'000'000, {}}};
    return r;
}

using Alarms = std::vector<std::string>;

TEST(WatchAlarmsSequence, LockLostAndRegainedAreToldOnceEach) {
    WatchAlarms alarms;
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, true)), Alarms{}) << "all well from the start: nothing to tell";
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, true)), Alarms{});
    EXPECT_EQ(alarms.Next(Round(1, true, 1000, true)),
              Alarms{"row 1 KXB200 input A: lock lost (carrier, level 70, S.N.R. 60)"});
    EXPECT_EQ(alarms.Next(Round(0, true, 1000, true)), Alarms{}) << "still without lock";
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, true)),
              Alarms{"row 1 KXB200 input A: lock regained (locked, level 70, S.N.R. 60)"});
    EXPECT_EQ(alarms.Next(Round(7, true, 1000, true)),
              Alarms{"row 1 KXB200 input A: lock lost (state 7, level 70, S.N.R. 60)"})
        << "a state the modules do not define is no lock";
}

TEST(WatchAlarmsSequence, AnInputUnlockedFromTheStartIsToldThenItsFirstLock) {
    WatchAlarms alarms;
    EXPECT_EQ(alarms.Next(Round(0, true, 1000, true)),
              Alarms{"row 1 KXB200 input A: not locked (no lock, level 70, S.N.R. 60)"});
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, true)),
              Alarms{"row 1 KXB200 input A: locked (locked, level 70, S.N.R. 60)"});
}

TEST(WatchAlarmsSequence, SilentModuleIsToldOnceAndItsInputsAreNotJudged) {
    WatchAlarms alarms;
    alarms.Next(Round(2, true, 1000, true));
    EXPECT_EQ(alarms.Next(Round(0, false, 1000, true)), Alarms{"row 1 KXB200: stopped answering"})
        << "no lock alarm for an input nobody heard";
    EXPECT_EQ(alarms.Next(Round(0, false, 1000, true)), Alarms{});
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, true)), Alarms{"row 1 KXB200: answering again"});
    EXPECT_EQ(alarms.Next(Round(2, true, 1000, false)), Alarms{"row 3 KXD410: stopped answering"});

    WatchAlarms fresh;
    EXPECT_EQ(fresh.Next(Round(2, true, 1000, false)), Alarms{"row 3 KXD410: not answering"});
}

TEST(WatchAlarmsSequence, RateAboveCapacityAndBackWithin) {
    WatchAlarms alarms;
    EXPECT_EQ(alarms.Next(Round(2, true, 24'000'000, true)), Alarms{}) << "full is not over";
    EXPECT_EQ(alarms.Next(Round(2, true, 24'000'001, true)),
              Alarms{"row 3 KXD410 channel 2: rate above capacity (24000/24000 Kbit/s)"});
    EXPECT_EQ(alarms.Next(Round(2, true, 25'000'000, true)), Alarms{});
    EXPECT_EQ(alarms.Next(Round(2, true, 25'000'000, false)), Alarms{"row 3 KXD410: stopped answering"})
        << "a silent output is not back within its capacity";
    EXPECT_EQ(alarms.Next(Round(2, true, 20'000'000, true)),
              (Alarms{"row 3 KXD410: answering again",
                      "row 3 KXD410 channel 2: rate within capacity again (20000/24000 Kbit/s)"}));
}

TEST(WatchAlarmsSequence, AnotherModelInTheSameRowIsAnotherModule) {
    WatchAlarms alarms;
    alarms.Next(Round(2, true, 1000, true));
    WatchRound swapped = Round(0, true, 1000, true);
    swapped.modules[0].model = swapped.inputs[0].model = "KXB210";
    EXPECT_EQ(alarms.Next(swapped), Alarms{"row 1 KXB210 input A: not locked (no lock, level 70, S.N.R. 60)"});
}

}  // namespace
}  // namespace kelvane
