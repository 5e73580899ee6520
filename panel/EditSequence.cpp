#include "panel/EditSequence.h"

#include "app/ModuleTypes.h"
#include "config/ChainEdits.h"
#include "config/ConfigSync.h"
#include "config/ImageFields.h"
#include "panel/InputConfigCodec.h"
#include "panel/NetworkSection.h"
#include "panel/OutputConfigCodec.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"

#include <algorithm>
#include <optional>
#include <vector>
#include <utility>

namespace kelvane {
namespace {

bool HasOutput(const PanelModel& m, const SlotRecord* output) { return output != nullptr && m.OutputChannelCount >= 1; }

int RowOf(const SlotTable& slots, const SlotRecord& record) { return static_cast<int>(&record - slots.Records.data()); }

// The version the section carries, none when the section is too short to hold it (a module's image may say
// anything about its section's size); and whether the two sections say the same apart from version and CRC.
std::optional<int> SectionVersion(std::span<const std::uint8_t> section) {
    if (section.size() <= kSectionVersionOffset) return std::nullopt;
    return SectionVersionOf(section[kSectionVersionOffset]);
}

bool SameContent(std::span<const std::uint8_t> a, std::span<const std::uint8_t> b) {
    if (a.size() != b.size() || a.size() < kSectionVersionOffset + 1 + kSectionCrcSize) return false;
    const auto end = a.size() - kSectionCrcSize;
    return std::equal(a.begin(), a.begin() + kSectionVersionOffset, b.begin()) &&
           std::equal(a.begin() + kSectionVersionOffset + 1, a.begin() + end, b.begin() + kSectionVersionOffset + 1);
}

// One encoding of the pair into `slots`; the outcome names the image that did not fit.
WriteOutcome EncodeOnce(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output) {
    // The activation follows the CAM choices as the tables hold them now, not as the list last showed them.
    BuildServiceList(m);
    if (HasOutput(m, output)) {
        if (!EncodeOutputConfig(m, *output)) return {WriteRefusal::kImageTooLong, RowOf(slots, *output)};
        const std::vector<std::uint16_t> ids = CamServiceIds(m);
        SetActivatedServices(slots, input.Address, ids);
    }
    if (!EncodeInputConfig(m, input)) return {WriteRefusal::kImageTooLong, RowOf(slots, input)};
    return {};
}

bool InTable(const SlotTable& slots, const SlotRecord* record) {
    return record != nullptr && record >= slots.Records.data() && record < slots.Records.data() + kSlotCount;
}

WriteOutcome Refusal(const PanelModel& m, const SlotTable& slots, const SlotRecord& input, const SlotRecord* output) {
    // Records from elsewhere cannot be tried on a copy of the table: nothing is written for them.
    if (!InTable(slots, &input) || (output != nullptr && !InTable(slots, output))) {
        return {WriteRefusal::kImageUnread, -1};
    }
    if (!ImageRebuildable(input)) return {WriteRefusal::kImageUnread, RowOf(slots, input)};
    if (HasOutput(m, output) && !ImageRebuildable(*output)) return {WriteRefusal::kImageUnread, RowOf(slots, *output)};
    if (m.ServicesEdited && !m.NamesRead) return {WriteRefusal::kNamesUnread, RowOf(slots, input)};
    return {};
}

}  // namespace

bool ImageRebuildable(const SlotRecord& record) {
    if (IsOutputType(record.Type)) return OutputImageRebuildable(record);
    return record.ConfigLength >= kInputRowHeader;
}

WriteOutcome EncodePair(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output) {
    if (const WriteOutcome refused = Refusal(m, slots, input, output); !refused.Written()) return refused;

    // Everything is tried on a copy of the table, which replaces the table only once every image fitted.
    SlotTable trial = slots;
    SlotRecord& trialInput = trial[static_cast<std::size_t>(RowOf(slots, input))];
    SlotRecord* trialOutput = output != nullptr ? &trial[static_cast<std::size_t>(RowOf(slots, *output))] : nullptr;
    const std::vector<std::uint8_t> sectionBefore = [&] {
        if (!HasOutput(m, output)) return std::vector<std::uint8_t>{};
        const auto section = NetworkSectionOf(*output);
        return std::vector<std::uint8_t>(section.begin(), section.end());
    }();

    constexpr int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (pass > 0) ReconcileServices(m, CollectOutputServiceIds(trial, input.Address));
        if (const WriteOutcome o = EncodeOnce(m, trial, trialInput, trialOutput); !o.Written()) return o;
    }

    // Receivers take a section again only under a new version: a change of content the operator did not
    // number gets the next one.
    if (!sectionBefore.empty() && m.NitVersion == SectionVersion(sectionBefore) &&
        !SameContent(sectionBefore, NetworkSectionOf(*trialOutput))) {
        m.NitVersion = static_cast<std::uint8_t>((m.NitVersion + 1) % kSectionVersionCount);
        if (const WriteOutcome o = EncodeOnce(m, trial, trialInput, trialOutput); !o.Written()) return o;
    }
    slots = trial;
    m.ServicesEdited = false;
    return {};
}

WriteOutcome ApplyEditsToRack(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output, CXmit& link,
                              SendReport* sent) {
    const WriteOutcome outcome = EncodePair(m, slots, input, output);
    m.InputDirty = false;
    m.OutputDirty = false;
    if (!outcome.Written()) return outcome;
    SendReport report;
    report.answered = SendChangedConfigs(link, slots, &report.rows);
    BuildServiceList(m);
    if (m.RestartOutputs) {
        m.RestartOutputs = false;
        report.answered &= RestartOutputModules(link, slots, input.Address);
    }
    if (sent != nullptr) *sent = std::move(report);
    return outcome;
}

}  // namespace kelvane
