#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

// How the CAM menu lays out a menu or list in its list box: title, subtitle, a blank line, the items, a blank
// line and the bottom line. The CAM sends the title, subtitle and bottom line first, then the items, so each
// text finds its place by the number of entries already there.

// Where the next text goes in a list of `entryCount` entries: first `blanks` empty entries are added at the
// end, then the text is inserted at `index`.
struct TextPlacement {
    int blanks = 0;
    int index = 0;
    bool operator==(const TextPlacement&) const = default;
};
TextPlacement PlaceText(int entryCount);

// The same rule on a plain list of lines.
void AddByListRule(std::vector<std::string>& lines, const std::string& text);

// The menu choice that a double-click on entry `index` makes: the item's number (EN 50221 choice_ref, from 1)
// on a menu, 0 on any item of a list, nothing on the title, subtitle, blank and bottom lines, or on an item
// past the 255 a choice can name.
std::optional<std::uint8_t> ChoiceAt(int index, int entryCount, bool listShown);

// The entry of item 1, for those who fill or read the list.
constexpr int kFirstItemEntry = 3;

}  // namespace kelvane
