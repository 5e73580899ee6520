#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace kelvane {

struct DecodedText {
    std::string utf8;
    // False when something of the text could not be read: a selector cut short, a table the program does not
    // have (only its printable ASCII is kept), a byte its table leaves unassigned or a bad sequence (each shown
    // as U+FFFD).
    bool complete = true;
};

// A broadcast or CAM text as UTF-8, in two steps: the table selector that may open it (text/TableSelector.h),
// then its characters in that table. Control characters are kept; what shows them decides what they become
// (text/ControlCharacters.h).
DecodedText DecodeText(std::span<const std::uint8_t> bytes);

}  // namespace kelvane
