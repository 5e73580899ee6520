#pragma once

#include "app/SlotTable.h"
#include "panel/PanelModel.h"

#include <cstdint>
#include <vector>

namespace kelvane {

// What an output image holds when it is too short to say: the network fields take these.
constexpr int kDefaultNetworkId = 8442;
constexpr int kDefaultTransportStreamId = 100;  // channel 1; the next channels count up from it
constexpr std::uint8_t kDefaultNitVersion = 5;

// Reads the output module's image into the output fields and OutputServices; with no output (null), fills
// OutputServices from the player's input rows. Decode the input first.
void DecodeOutputConfig(const SlotRecord* output, PanelModel& m);

// Writes the output fields, OutputServices and a fresh network information section into the output module's
// image. False, with the record untouched, when it is no output module or the image would not fit the record.
// The caller then marks the activated services with the ids of CamServiceIds.
bool EncodeOutputConfig(const PanelModel& m, SlotRecord& output);

// The ids of the service rows that a CAM descrambles, in row order.
std::vector<std::uint16_t> CamServiceIds(const PanelModel& m);

// The frequency of output channel 1-4 in kHz: channel 1 is OutputFreqKHz, the others follow it one bandwidth apart.
int ChannelFrequencyKHz(const PanelModel& m, int channel);

}  // namespace kelvane
