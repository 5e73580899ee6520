// The panel's reply parsers: input status, output rates, service names (with the service list built from them),
// the player's file list, and the schedule as a player image brings it (with the operator's edits on it). The
// first byte picks the parser and its setting, the rest is the reply.

#include "fuzz/FuzzChecks.h"
#include "fuzz/ImageRoundTrip.h"
#include "panel/InputConfigCodec.h"
#include "panel/Schedule.h"
#include "panel/ServiceCells.h"
#include "panel/ServiceList.h"
#include "panel/ServiceNames.h"
#include "panel/StatusReplies.h"

#include <array>
#include <memory>

namespace kelvane::fuzz {
namespace {

enum Parser { kStatus, kRates, kNames, kFiles, kSchedule, kParserCount };

constexpr std::array<std::uint8_t, 4> kOutputTypes{2, 5, 6, 8};
constexpr std::uint8_t kPlayerType = 7;
constexpr std::uint32_t kMinutesPerDay = 24 * 60;

void Status(Bytes reply, int setting) {
    const int inputCount = setting % 5 - 1;  // -1 to 3, a count the caller could get wrong too
    const InputStatus status = ParseInputStatus(reply, inputCount);
    Require(status.rows >= 0 && status.rows <= std::max(inputCount, 0), "no more status rows than inputs");
}

void Rates(Bytes reply, int setting) {
    const int channels = setting % 6 - 1;
    const std::uint8_t type = kOutputTypes[static_cast<std::size_t>(setting / 6) % kOutputTypes.size()];
    const OutputRates rates = ParseOutputRates(reply, channels, type);
    Require(rates.channels.size() <= kMaxOutputChannels, "at most four channel rates");
    Require(rates.services.size() <= reply.size() / 4, "every service rate comes from the reply");
    for (const ChannelRate& rate : rates.channels) Require(IsUtf8(ChannelRateLabel(rate)), "a rate label is text");
    auto m = std::make_unique<PanelModel>();
    m->ServiceRowCount = kMaxServiceRows;
    for (int r = 0; r < kMaxServiceRows; ++r) m->ServiceRows[r].ServiceId = static_cast<std::uint16_t>(r);
    ApplyServiceRates(*m, rates.services);
}

void Names(Bytes reply, int setting) {
    auto m = std::make_unique<PanelModel>();
    constexpr std::array<int, 4> kChannelCounts{0, 1, 2, 4};
    m->InputCount = setting % kMaxInputRows + 1;
    m->OutputChannelCount = kChannelCounts[static_cast<std::size_t>(setting / kMaxInputRows) % kChannelCounts.size()];
    ParseServiceNames(reply, *m);
    for (const SiServiceTable& table : m->InputSiServices) {
        Require(table.count >= 0 && table.count <= kMaxServicesPerRow, "at most 64 names a row");
        for (int k = 0; k < table.count; ++k) Require(IsUtf8(table.entries[k].Name), "a service name is UTF-8");
    }
    BuildServiceList(*m);
    Require(m->ServiceRowCount >= 0 && m->ServiceRowCount <= kMaxServiceRows, "at most 192 rows");
    for (int r = 0; r < m->ServiceRowCount; ++r) {
        for (int column = 0; column < kServiceColumnCount; ++column) {
            Require(IsUtf8(ServiceCell(*m, m->ServiceRows[r], column).text), "a cell of the service list is UTF-8");
        }
    }
}

void Files(Bytes reply) {
    const std::vector<std::string> names = ParseFileList(reply);
    Require(names.size() <= reply.size(), "every file name comes from the reply");
    for (const std::string& name : names) Require(IsUtf8(name), "a file name is UTF-8");
}

// A player image's schedule, then the operator adds a window and removes a row, as the panel lets them.
void Schedule(Bytes input) {
    if (input.size() < 5) return;
    const std::uint32_t start = (std::uint32_t{input[0]} << 8 | input[1]) % kMinutesPerDay;
    const std::uint32_t end = (std::uint32_t{input[2]} << 8 | input[3]) % kMinutesPerDay;
    const int removedRow = input[4] % (kMaxScheduleEntries + 2) - 1;
    const SlotRecord player = RecordOf(kPlayerType, input.subspan(5));
    auto m = std::make_unique<PanelModel>();
    m->InputType = kPlayerType;
    m->InputCount = InputRowsOfType(kPlayerType);
    DecodeInputConfig(player, *m);
    if (ScheduleSlotFree(*m, start, end)) AddScheduleEntry(*m, start, end, "film.ts");
    Require(m->ScheduleCount >= 0 && m->ScheduleCount <= kMaxScheduleEntries, "the schedule holds at most 10");
    RemoveScheduleEntries(*m, {removedRow});
    for (int k = 0; k < m->ScheduleCount; ++k) {
        Require(IsUtf8(ScheduleTimeText(m->Schedule[k].start) + ScheduleTimeText(m->Schedule[k].end)),
                "a schedule time is text");
    }
    SlotRecord written = player;
    EncodeInputConfig(*m, written);
}

}  // namespace
}  // namespace kelvane::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kelvane::fuzz;
    if (size == 0) return 0;
    const Bytes reply = Bytes(data, size).subspan(1);
    const int setting = data[0] / kParserCount;
    switch (data[0] % kParserCount) {
    case kStatus: Status(reply, setting); break;
    case kRates: Rates(reply, setting); break;
    case kNames: Names(reply, setting); break;
    case kFiles: Files(reply); break;
    default: Schedule(reply); break;
    }
    return 0;
}
