#include "sim/Drift.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace kelvane::sim {
namespace {

TEST(Drift, StaysInItsRangeAndMovesByAtMostItsStep) {
    Drift d(40, 60, 3, SeedOf(7));
    std::set<int> seen;
    int previous = d.Value();
    EXPECT_GE(previous, 40);
    EXPECT_LE(previous, 60);
    for (int tick = 0; tick < 2000; ++tick) {
        const int now = d.Tick();
        EXPECT_GE(now, 40);
        EXPECT_LE(now, 60);
        EXPECT_LE(std::abs(now - previous), 3);
        seen.insert(now);
        previous = now;
    }
    EXPECT_EQ(seen.size(), 21u) << "over a long run it visits the whole range";
}

TEST(Drift, NewRangeTakesEffectAtOnce) {
    Drift d(0, 4, 1, SeedOf(1));
    d.SetRange(60, 80);
    EXPECT_GE(d.Value(), 60);
    EXPECT_LE(d.Value(), 80);
    for (int tick = 0; tick < 100; ++tick) EXPECT_GE(d.Tick(), 60);
    const int inside = d.Value();
    d.SetRange(inside - 1, inside + 30);
    EXPECT_EQ(d.Value(), inside) << "a value inside the new range stays";
    d.SetRange(10, 5);  // an inverted range collapses to its low end
    EXPECT_EQ(d.Value(), 10);
    EXPECT_EQ(d.Tick(), 10);
}

TEST(Drift, SameSeedSameWalkOtherSeedAnotherWalk) {
    Drift a(0, 1000, 50, SeedOf(3, 4));
    Drift b(0, 1000, 50, SeedOf(3, 4));
    Drift c(0, 1000, 50, SeedOf(3, 5));
    bool differs = false;
    for (int tick = 0; tick < 100; ++tick) {
        const int va = a.Tick();
        EXPECT_EQ(va, b.Tick());
        differs = differs || va != c.Tick();
    }
    EXPECT_TRUE(differs);
}

TEST(Jitter, BetweenCoversItsBoundsOnly) {
    Jitter j(SeedOf(9));
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        const int v = j.Between(-2, 2);
        EXPECT_GE(v, -2);
        EXPECT_LE(v, 2);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 5u);
    EXPECT_EQ(j.Between(4, 4), 4);
    EXPECT_EQ(j.Between(5, 1), 5);
}

}  // namespace
}  // namespace kelvane::sim
