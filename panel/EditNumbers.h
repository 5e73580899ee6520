#pragma once

#include <string>

namespace kelvane {

// What a numeric edit holds once made valid: its text when that is one or more digits 0-9, else "0".
std::string SanitizedNumber(const std::string& text);

// The decimal number at the start of `text` (after blanks, with an optional sign), 0 when there is none.
// Saturates at the int range instead of overflowing, however long the digits run.
int ParseEditNumber(const std::string& text);

}  // namespace kelvane
