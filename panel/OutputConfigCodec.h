#pragma once

#include "app/SlotTable.h"
#include "panel/NetworkSection.h"
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

// Whether the image holds the frequency, modulation and level bytes that a rewrite starts from. A shorter one
// (a blank image, or one cut short) is not read, and rewriting it would make those bytes up.
bool OutputImageRebuildable(const SlotRecord& output);

// Writes the output fields, OutputServices and a fresh network information section into the output module's
// image. False, with the record untouched, when it is no output module, when the frequency is out of range and
// the image too short to hold the one to keep, or when the image would not fit the record. The caller then
// marks the activated services with the ids of CamServiceIds.
bool EncodeOutputConfig(const PanelModel& m, SlotRecord& output);

// The ids of the service rows that a CAM descrambles, in row order.
std::vector<std::uint16_t> CamServiceIds(const PanelModel& m);

// The network information section an output image carries, empty when it holds none that fits inside it.
std::span<const std::uint8_t> NetworkSectionOf(const SlotRecord& output);

}  // namespace kelvane
