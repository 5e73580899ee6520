// The list rule and the double-click mapping that depend on it.

#include "cam/MenuLayout.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Lines = std::vector<std::string>;

// The texts of a menu in the order the CAM sends them: title, subtitle, bottom line, then the items.
Lines LaidOut(const Lines& sent) {
    Lines lines;
    for (const std::string& text : sent) AddByListRule(lines, text);
    return lines;
}

TEST(ListRule, MenuReadsTitleSubtitleBlankItemsBlankBottom) {
    EXPECT_EQ(LaidOut({"Titre", "Sous-titre", "Bas", "un", "deux", "trois"}),
              (Lines{"Titre", "Sous-titre", "", "un", "deux", "trois", "", "Bas"}));
}

TEST(ListRule, MenuWithoutItems) {
    EXPECT_EQ(LaidOut({"Titre", "Sous-titre", "Bas"}), (Lines{"Titre", "Sous-titre", "", "", "Bas"}));
}

TEST(ListRule, PlacementByEntryCount) {
    EXPECT_EQ(PlaceText(0), (TextPlacement{0, 0}));
    EXPECT_EQ(PlaceText(1), (TextPlacement{0, 1}));
    EXPECT_EQ(PlaceText(2), (TextPlacement{2, 4}));
    EXPECT_EQ(PlaceText(5), (TextPlacement{0, 3}));
    EXPECT_EQ(PlaceText(9), (TextPlacement{0, 7}));
}

TEST(ListRule, TextAfterAQuestionFollowsItsPrompt) {
    Lines lines{"Code PIN :"};
    AddByListRule(lines, "Code PIN incorrect");
    EXPECT_EQ(lines, (Lines{"Code PIN :", "Code PIN incorrect"}));
}

TEST(DoubleClick, ItemsOfAMenuAreTheirNumbers) {
    // Title, subtitle, blank, three items, blank, bottom: eight entries.
    EXPECT_EQ(ChoiceAt(3, 8, false), 1);
    EXPECT_EQ(ChoiceAt(4, 8, false), 2);
    EXPECT_EQ(ChoiceAt(5, 8, false), 3);
}

TEST(DoubleClick, TitleSubtitleBlanksAndBottomDoNothing) {
    for (int index : {-1, 0, 1, 2, 6, 7, 8}) EXPECT_FALSE(ChoiceAt(index, 8, false).has_value()) << index;
    for (int index : {0, 1, 2, 3, 4}) EXPECT_FALSE(ChoiceAt(index, 5, false).has_value()) << index;
}

TEST(DoubleClick, AnyItemOfAListGoesBack) {
    EXPECT_EQ(ChoiceAt(3, 8, true), 0);
    EXPECT_EQ(ChoiceAt(5, 8, true), 0);
    EXPECT_FALSE(ChoiceAt(2, 8, true).has_value());
}

TEST(DoubleClick, ChoicesEndAt255) {
    const int entries = 300 + 5;
    EXPECT_EQ(ChoiceAt(257, entries, false), 255);
    EXPECT_FALSE(ChoiceAt(258, entries, false).has_value());
}

}  // namespace
}  // namespace kelvane
