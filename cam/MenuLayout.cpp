#include "cam/MenuLayout.h"

namespace kelvane {

// Title and subtitle come first; the blank line and the bottom line always stay last.
constexpr int kHeadEntries = 2;
constexpr int kTailEntries = 2;
constexpr int kHighestChoice = 255;

TextPlacement PlaceText(int entryCount) {
    if (entryCount < kHeadEntries) return {0, entryCount};
    if (entryCount == kHeadEntries) return {kTailEntries, entryCount + kTailEntries};
    return {0, entryCount - kTailEntries};
}

void AddByListRule(std::vector<std::string>& lines, const std::string& text) {
    const TextPlacement place = PlaceText(static_cast<int>(lines.size()));
    lines.resize(lines.size() + static_cast<std::size_t>(place.blanks));
    lines.insert(lines.begin() + place.index, text);
}

std::optional<std::uint8_t> ChoiceAt(int index, int entryCount, bool listShown) {
    const int item = index - kHeadEntries;
    // Items sit between the head (title, subtitle, blank) and the tail (blank, bottom line).
    if (item < 1 || item >= entryCount - kHeadEntries - kTailEntries || item > kHighestChoice) return std::nullopt;
    return static_cast<std::uint8_t>(listShown ? 0 : item);
}

}  // namespace kelvane
