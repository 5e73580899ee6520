#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <span>

namespace kelvane {

// The character an SI name byte stands for: ISO 8859-1, except a few bytes the lists cannot show as they are.
char32_t SiChar(std::uint8_t byte);

// Whether a name byte is a character at all (control codes of both halves are not).
bool IsSiNameCharacter(std::uint8_t byte);

// Reads the input module's service-names reply into InputSiServices, row by row, and sets NamesRead; rows the
// reply does not reach announce nothing. Services beyond the 64 a row holds are read past and dropped.
// An empty reply (a failed request) or one that ends inside a row changes nothing and gives false: the names
// read before stand, since a reply that did not come says nothing of what the inputs carry.
bool ParseServiceNames(std::span<const std::uint8_t> reply, PanelModel& m);

}  // namespace kelvane
