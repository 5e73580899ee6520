#pragma once

#include <string>

namespace kelvane {

// The decimal number at the start of `text` (after blanks, with an optional sign), 0 when there is none.
// Saturates at the int range instead of overflowing, however long the digits run.
int ParseEditNumber(const std::string& text);

}  // namespace kelvane
