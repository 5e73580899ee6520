#include "panel/EditSequence.h"

#include "config/ChainEdits.h"
#include "config/ConfigSync.h"
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"
#include "panel/Reconcile.h"
#include "panel/ServiceList.h"

namespace kelvane {
namespace {

void EncodeOutputAndActivation(PanelModel& m, SlotTable& slots, SlotRecord& input, SlotRecord* output) {
    if (output == nullptr || m.OutputChannelCount < 1) return;
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
        EncodeInputConfig(m, input);
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
