#pragma once

#include "panel/PanelModel.h"

#include <cstdint>
#include <span>

namespace kelvane {

// The character an SI name byte stands for: ISO 8859-1, except a few bytes the lists cannot show as they are.
char32_t SiChar(std::uint8_t byte);

// Whether a name byte is a character at all (control codes of both halves are not).
bool IsSiNameCharacter(std::uint8_t byte);

// Reads the input module's service-names reply into InputSiServices, row by row. Every row is emptied first, so
// a failed request is passed as an empty reply. A reply that ends inside a row keeps the services read whole
// and stops; services beyond the 64 a row holds are read past and dropped.
void ParseServiceNames(std::span<const std::uint8_t> reply, PanelModel& m);

}  // namespace kelvane
