#include "panel/PairModel.h"

#include "app/ModuleTypes.h"
#include "panel/InputConfigCodec.h"
#include "panel/OutputConfigCodec.h"

#include <algorithm>

namespace kelvane {

constexpr int kMaxCamCount = 4;

int OutputChannelCountOf(const SlotRecord* output) {
    if (output == nullptr) return 0;
    if (output->Type == kSingleChannelOutputType) return 1;
    return output->Type == kTwoChannelOutputType ? 2 : 4;
}

PanelModel ModelOfPair(int camCount, const SlotRecord& input, const SlotRecord* output) {
    PanelModel m;
    m.InputType = input.Type;
    m.OutputType = output != nullptr ? output->Type : 0;
    m.CamCount = std::clamp(camCount, 0, kMaxCamCount);
    m.OutputChannelCount = OutputChannelCountOf(output);
    m.InputCount = InputRowsOfType(input.Type);
    DecodeInputConfig(input, m);
    DecodeOutputConfig(output, m);
    m.InputDirty = m.OutputDirty = m.RestartOutputs = false;
    return m;
}

}  // namespace kelvane
