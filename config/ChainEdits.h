#pragma once

#include "app/SlotTable.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

// Edits of the slot table's images along the chain of modules that an input feeds. They change the images
// only; the next SendChangedConfigs takes the changes to the modules. Only records below ModuleCount are
// looked at, and every field read or written lies inside its image.

// In every output image fed by the input at `inputAddress` (kAllOutputs: every output image), marks exactly
// the services whose id is in `serviceIds` as activated. The fed outputs follow the input up to the next
// input module, even one that stands directly behind it.
void SetActivatedServices(SlotTable& slots, std::uint8_t inputAddress, std::span<const std::uint16_t> serviceIds);

// The ids of every service of the output images fed by the input at `inputAddress`, each once, in order of
// first appearance. Inputs that stand directly behind the given one do not end the run. Empty when no module
// of the list has that address.
std::vector<std::uint16_t> CollectOutputServiceIds(const SlotTable& slots, std::uint8_t inputAddress);

// Adds `serviceId` to (or removes it from) the pass-through list, block C, of every KXC300 that stands
// between the KXC300 at `address` and the last KXC300 before the next output; those lists lose their CI
// module assignments. Nothing happens for an address that names no KXC300. False, with no image changed,
// when a list cannot take the id (255 ids already, or an image that would outgrow its 1024 bytes) or an
// image is too short to hold its block C.
bool UpdateChainedPlayers(SlotTable& slots, std::uint8_t address, std::uint16_t serviceId, bool add);

}  // namespace kelvane
