#include "panel/EditSequence.h"

#include "config/ChainEdits.h"
#include "config/ConfigSync.h"
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"

namespace kelvane {
namespace {

// A module whose image could not be read is never written: an image made up from empty fields would replace
// whatever the module really holds.
bool Known(const SlotRecord* record) { return record != nullptr && record->ConfigLength > 0; }

void EncodeOutputAndActivation(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output) {
    if (!Known(output) || m.OutputChannelCount < 1) return;
    EncodeOutputConfig(m, *output);
    const std::vector<std::uint16_t> ids = CamServiceIds(m);
    SetActivatedServices(slots, input.Address, ids);
}

}  // namespace

void EncodePair(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output) {
    constexpr int kPasses = 3;
    for (int pass = 0; pass < kPasses; ++pass) {
        if (pass > 0) ReconcileServices(m, CollectOutputServiceIds(slots, input.Address));
        EncodeOutputAndActivation(m, slots, input, output);
        if (Known(&input)) EncodeInputConfig(m, input);
    }
}

void ApplyEditsToRack(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output, CXmit& link) {
    EncodePair(m, slots, input, output);
    m.InputDirty = false;
    m.OutputDirty = false;
    SendChangedConfigs(link, slots);
    BuildServiceList(m);
    if (m.RestartOutputs) {
        m.RestartOutputs = false;
        RestartOutputModules(link, slots, input.Address);
    }
}

}  // namespace kelvane
