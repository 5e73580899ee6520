#include "panel/FieldRanges.h"

#include "panel/LevelTable.h"
#include "panel/NetworkSection.h"

#include <charconv>
#include <iterator>

namespace kelvane {
namespace {

constexpr int kU16Max = 65535;

constexpr FieldRange kRanges[] = {
    {FieldId::InputFreq, "in.freq", kSatFreqMinMHz, kSatFreqMaxMHz, true},
    {FieldId::Input2Freq, "in2.freq", kSatFreqMinMHz, kSatFreqMaxMHz, true},
    {FieldId::InputSymbolRate, "in.symbolrate", 0, kU16Max, true},
    {FieldId::Input2SymbolRate, "in2.symbolrate", 0, kU16Max, true},
    {FieldId::PlayerServiceId, "player.sid", 0, kU16Max, true},
    {FieldId::OutputFreq, "out.freq", kOutFreqMinKHz, kOutFreqMaxKHz, false},
    {FieldId::Level, "level", 1, kLevelStepCount, false},
    {FieldId::NetworkId, "network.id", 0, kU16Max, false},
    {FieldId::StreamId1, "tsid1", 0, kU16Max, false},
    {FieldId::StreamId2, "tsid2", 0, kU16Max, false},
    {FieldId::StreamId3, "tsid3", 0, kU16Max, false},
    {FieldId::StreamId4, "tsid4", 0, kU16Max, false},
    {FieldId::NetworkVersion, "network.version", 0, kSectionVersionCount - 1, false},
    {FieldId::Lcn, "lcn", 0, kMaxLcn, false},
};

constexpr bool InIdOrder() {
    for (std::size_t i = 0; i < std::size(kRanges); ++i) {
        if (static_cast<std::size_t>(kRanges[i].id) != i) return false;
    }
    return true;
}
static_assert(InIdOrder(), "RangeOf finds a field by its id's place in the table");

int StreamIndex(FieldId id) { return static_cast<int>(id) - static_cast<int>(FieldId::StreamId1); }

}  // namespace

const FieldRange& RangeOf(FieldId id) { return kRanges[static_cast<int>(id)]; }

const FieldRange* FindFieldRange(std::string_view name) {
    for (const FieldRange& range : kRanges) {
        if (range.name == name) return &range;
    }
    return nullptr;
}

std::optional<int> ParseFieldValue(const FieldRange& range, std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || value < range.low || value > range.high) return std::nullopt;
    return value;
}

int FieldValue(const PanelModel& m, FieldId id) {
    switch (id) {
    case FieldId::InputFreq: return m.InputFreqMHz[0];
    case FieldId::Input2Freq: return m.InputFreqMHz[1];
    case FieldId::InputSymbolRate: return m.InputSymbolRate[0];
    case FieldId::Input2SymbolRate: return m.InputSymbolRate[1];
    case FieldId::PlayerServiceId: return static_cast<int>(m.PlayerServiceId);
    case FieldId::OutputFreq: return m.OutputFreqKHz;
    case FieldId::Level: return m.LevelStep;
    case FieldId::NetworkId: return m.NetworkId;
    case FieldId::NetworkVersion: return m.NitVersion;
    case FieldId::Lcn: return 0;
    default: return m.TransportStreamId[static_cast<std::size_t>(StreamIndex(id))];
    }
}

void SetFieldValue(PanelModel& m, FieldId id, int value) {
    switch (id) {
    case FieldId::InputFreq: m.InputFreqMHz[0] = value; break;
    case FieldId::Input2Freq: m.InputFreqMHz[1] = value; break;
    case FieldId::InputSymbolRate: m.InputSymbolRate[0] = value; break;
    case FieldId::Input2SymbolRate: m.InputSymbolRate[1] = value; break;
    case FieldId::PlayerServiceId: m.PlayerServiceId = static_cast<unsigned>(value); break;
    case FieldId::OutputFreq: m.OutputFreqKHz = value; break;
    case FieldId::Level: m.LevelStep = value; break;
    case FieldId::NetworkId: m.NetworkId = value; break;
    case FieldId::NetworkVersion: m.NitVersion = static_cast<std::uint8_t>(value); break;
    case FieldId::Lcn: return;
    default: m.TransportStreamId[static_cast<std::size_t>(StreamIndex(id))] = value; break;
    }
    if (RangeOf(id).input) {
        m.InputDirty = m.RestartOutputs = true;
    } else {
        m.OutputDirty = true;
    }
}

}  // namespace kelvane
