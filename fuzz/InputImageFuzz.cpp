// The input image decoder, followed by encode and decode again: what the second decode reads must be what the
// first one read (a round trip is a fixed point), and encoding that again must give the same bytes.

#include "fuzz/ImageRoundTrip.h"
#include "panel/InputConfigCodec.h"
#include "panel/PairModel.h"

#include <array>

namespace kelvane::fuzz {
namespace {

constexpr std::array<std::uint8_t, 3> kInputTypes{1, 4, 7};

bool SameRows(const PanelModel& a, const PanelModel& b) {
    for (int row = 0; row < kMaxInputRows; ++row) {
        const InputServiceTable& x = a.InputServices[row];
        const InputServiceTable& y = b.InputServices[row];
        if (x.count != y.count) return false;
        for (int k = 0; k < x.count; ++k) {
            if (x.entries[k].ServiceId != y.entries[k].ServiceId || x.entries[k].Cam != y.entries[k].Cam) return false;
        }
    }
    return a.InputFreqMHz == b.InputFreqMHz && a.InputSymbolRate == b.InputSymbolRate &&
           a.InputFecOrPolarity == b.InputFecOrPolarity;
}

bool SamePlayer(const PanelModel& a, const PanelModel& b) {
    if (a.PlayerServiceId != b.PlayerServiceId || a.PlayerRateIndex != b.PlayerRateIndex ||
        a.PlayerServiceName != b.PlayerServiceName || a.ScheduleCount != b.ScheduleCount) {
        return false;
    }
    for (int k = 0; k < a.ScheduleCount; ++k) {
        const ScheduleEntry& x = a.Schedule[k];
        const ScheduleEntry& y = b.Schedule[k];
        if (x.start != y.start || x.end != y.end || x.file != y.file) return false;
    }
    return true;
}

bool SameServices(const PanelModel& a, const PanelModel& b) {
    if (a.OutputServiceCount != b.OutputServiceCount) return false;
    for (int k = 0; k < a.OutputServiceCount; ++k) {
        if (a.OutputServices[k].ServiceId != b.OutputServices[k].ServiceId) return false;
    }
    return true;
}

void Check(const PanelModel& m) {
    Require(m.ScheduleCount >= 0 && m.ScheduleCount <= kMaxScheduleEntries, "the schedule holds at most 10");
    for (const InputServiceTable& row : m.InputServices) {
        Require(row.count >= 0 && row.count <= kMaxServicesPerRow, "a row holds at most 64 services");
    }
    Require(IsUtf8(m.PlayerServiceName), "the player's service name is UTF-8");
    for (int k = 0; k < m.ScheduleCount; ++k) Require(IsUtf8(m.Schedule[k].file), "a scheduled file is UTF-8");
}

PanelModel Decoded(const SlotRecord& input) { return ModelOfPair(0, input, nullptr); }

void RequireSameInput(const PanelModel& a, const PanelModel& b) {
    Require(SameRows(a, b), "the input rows survive a round trip");
    Require(SamePlayer(a, b), "the player's service and schedule survive a round trip");
    Require(SameServices(a, b), "the services the player forwards survive a round trip");
}

void CheckImage(Bytes input) {
    if (input.empty()) return;
    const SlotRecord read = PickedRecord(kInputTypes, input);
    const PanelModel first = Decoded(read);
    Check(first);

    // An image that would not fit its record is refused.
    RoundTrip(read, first, EncodeInputConfig, Decoded, RequireSameInput);
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return kelvane::fuzz::CheckAll(data, size, {kelvane::fuzz::CheckImage});
}
