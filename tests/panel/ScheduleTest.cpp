#include "panel/Schedule.h"

#include "tests/panel/PanelBytes.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

constexpr std::uint32_t At(int hours, int minutes = 0) { return static_cast<std::uint32_t>(hours * 60 + minutes); }

std::vector<std::uint32_t> Starts(const PanelModel& m) {
    std::vector<std::uint32_t> starts;
    for (int i = 0; i < m.ScheduleCount; ++i) starts.push_back(m.Schedule[i].start);
    return starts;
}

TEST(Schedule, WindowsMayStartWhenAnotherEndsButNotEndWhenOneStarts) {
    PanelModel m;
    AddScheduleEntry(m, At(8), At(10), "a.ts");
    EXPECT_TRUE(ScheduleSlotFree(m, At(10), At(12)));
    EXPECT_FALSE(ScheduleSlotFree(m, At(6), At(8)));
    EXPECT_TRUE(ScheduleSlotFree(m, At(6), At(7, 59)));
    EXPECT_FALSE(ScheduleSlotFree(m, At(7), At(11)));  // encloses it
    EXPECT_FALSE(ScheduleSlotFree(m, At(9), At(9, 30)));  // inside it
    EXPECT_FALSE(ScheduleSlotFree(m, At(9), At(11)));  // starts inside it
    EXPECT_TRUE(ScheduleSlotFree(m, At(12), At(12)));  // start equal to end
    EXPECT_FALSE(ScheduleSlotFree(m, At(13), At(12)));  // backwards
}

TEST(Schedule, AddingKeepsTimeOrderAndRemovingTakesEverySelectedRow) {
    PanelModel m;
    EXPECT_EQ(AddScheduleEntry(m, At(14), At(15), ""), ScheduleAdd::kRefused);  // an entry playing no file
    EXPECT_EQ(m.ScheduleCount, 0);
    EXPECT_FALSE(m.InputDirty);
    EXPECT_EQ(AddScheduleEntry(m, At(14), At(15), "late.ts"), ScheduleAdd::kAddedFirst);
    EXPECT_EQ(AddScheduleEntry(m, At(9), At(10), "early.ts"), ScheduleAdd::kAdded);
    EXPECT_EQ(AddScheduleEntry(m, At(11), At(12), "mid.ts"), ScheduleAdd::kAdded);
    EXPECT_TRUE(m.InputDirty);
    EXPECT_EQ(Starts(m), (std::vector<std::uint32_t>{At(9), At(11), At(14)}));
    EXPECT_EQ(m.Schedule[0].file, "early.ts");
    EXPECT_EQ(ScheduleTimeText(m.Schedule[0].start), "9:00");
    EXPECT_EQ(ScheduleTimeText(At(8, 5)), "8:05");

    m.InputDirty = false;
    EXPECT_FALSE(RemoveScheduleEntries(m, {7, -1}));
    EXPECT_FALSE(m.InputDirty);
    EXPECT_TRUE(RemoveScheduleEntries(m, {2, 0}));
    EXPECT_EQ(Starts(m), (std::vector<std::uint32_t>{At(11)}));
    EXPECT_TRUE(m.InputDirty);
    EXPECT_TRUE(RemoveScheduleEntries(m, {0}));
    EXPECT_EQ(m.ScheduleCount, 0);
    EXPECT_FALSE(RemoveScheduleEntries(m, {0}));

    for (int i = 0; i < kMaxScheduleEntries; ++i) AddScheduleEntry(m, At(i), At(i, 30), "f");
    EXPECT_EQ(AddScheduleEntry(m, At(20), At(21), "g"), ScheduleAdd::kRefused);  // an eleventh is ignored
    EXPECT_EQ(m.ScheduleCount, kMaxScheduleEntries);
    EXPECT_EQ(m.Schedule[9].start, At(9));
}

TEST(Schedule, FileListReply) {
    test::PanelBytes reply;
    reply.U16(0xAABB).U16(3).Text("one.ts").Text("caf\xE9.ts").Text("three.ts");
    EXPECT_EQ(ParseFileList(reply.Bytes()), (std::vector<std::string>{"one.ts", "caf\xC3\xA9.ts", "three.ts"}));
    test::PanelBytes cut;  // more names announced than sent, the last without its NUL
    cut.U16(0).U16(500).Text("a").Raw({'b', 'c'});
    EXPECT_EQ(ParseFileList(cut.Bytes()), (std::vector<std::string>{"a", "bc"}));
    EXPECT_TRUE(ParseFileList(test::PanelBytes().U16(0).U16(0).Bytes()).empty());
}

}  // namespace
}  // namespace kelvane
