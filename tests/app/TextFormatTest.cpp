#include "app/TextFormat.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kelvane {
namespace {

// The C library's own rendering of one int, for patterns whose single placeholder is a numeric conversion.
std::string PrintfOfInt(const std::string& pattern, int value) {
    std::array<char, 128> buffer{};
    const char conversion = pattern[pattern.find_first_of("duxX")];
    if (conversion == 'd') {
        std::snprintf(buffer.data(), buffer.size(), pattern.c_str(), value);
    } else {
        std::snprintf(buffer.data(), buffer.size(), pattern.c_str(), static_cast<unsigned>(value));
    }
    return buffer.data();
}

TEST(TextFormat, IntegerConversionsRenderAsPrintfDoes) {
    const std::vector<std::string> patterns = {"[%d]",  "[%u]",  "[%x]",   "[%X]",   "[%5d]",  "[%05d]",
                                               "[%2d]", "[%0d]", "[%06X]", "[%08x]", "[%12u]", "[%3X]"};
    const std::vector<int> values = {0, 1, -1, 7, -42, 255, 0x9F8800, 123456789, INT_MIN, INT_MAX};
    for (const std::string& pattern : patterns) {
        for (int value : values) {
            EXPECT_EQ(FormatText(pattern, {value}), PrintfOfInt(pattern, value))
                << "pattern " << pattern << ", value " << value;
        }
    }
}

TEST(TextFormat, CatalogueStylePlaceholders) {
    EXPECT_EQ(FormatText("TAG %06X not treated", {0x9F8800}), "TAG 9F8800 not treated");
    EXPECT_EQ(FormatText("TAG %06X not treated", {0x12}), "TAG 000012 not treated");
    EXPECT_EQ(FormatText("Updating module %d (%s) to release V%d.%d\r\n", {3, "KXD410", 1, 4}),
              "Updating module 3 (KXD410) to release V1.4\r\n");
    EXPECT_EQ(FormatText("  Frequency : %dMHz (", {474}), "  Frequency : 474MHz (");
}

TEST(TextFormat, TextsWithWidths) {
    EXPECT_EQ(FormatText("<%s>", {"abc"}), "<abc>");
    EXPECT_EQ(FormatText("<%5s>", {"abc"}), "<  abc>");
    EXPECT_EQ(FormatText("<%05s>", {"abc"}), "<  abc>") << "zeros pad numbers only";
    EXPECT_EQ(FormatText("<%2s>", {"abcdef"}), "<abcdef>") << "a width never cuts";
    EXPECT_EQ(FormatText("<%s>", {""}), "<>");
    EXPECT_EQ(FormatText("<%s>", {"Modul Größe"}), "<Modul Größe>");
}

TEST(TextFormat, EveryKindOfArgument) {
    const std::string owned = "owned";
    const std::string_view viewed = "viewed";
    const char* none = nullptr;
    EXPECT_EQ(FormatText("%s %s %s.", {owned, viewed, none}), "owned viewed .");
    EXPECT_EQ(FormatText("%d %u %d", {std::uint8_t{200}, 4000000000U, std::int16_t{-300}}), "200 4000000000 -300");
    EXPECT_EQ(FormatText("%d", {INT64_MIN}), "-9223372036854775808");
    EXPECT_EQ(FormatText("%X", {INT64_C(0x123456789AB)}), "123456789AB");
    EXPECT_EQ(FormatText("%u", {UINT64_MAX}), "18446744073709551615");
    EXPECT_EQ(FormatText("%x", {INT64_C(-1)}), "ffffffffffffffff") << "a 64-bit value keeps its 64 bits";
    EXPECT_EQ(FormatText("%u", {std::int16_t{-1}}), "4294967295") << "a short is promoted as printf does";
    const std::vector<FormatArg> gathered = {FormatArg(5), FormatArg("five")};
    EXPECT_EQ(FormatText("%d is %s", gathered), "5 is five");
}

TEST(TextFormat, PercentSigns) {
    EXPECT_EQ(FormatText("100%%", {}), "100%");
    EXPECT_EQ(FormatText("%%d then %d", {5}), "%d then 5") << "an escaped percent takes no argument";
    EXPECT_EQ(FormatText("%%%d%%", {9}), "%9%");
    EXPECT_EQ(FormatText("50%", {1}), "50%");
    EXPECT_EQ(FormatText("%", {}), "%");
}

TEST(TextFormat, MissingArgumentsStayAsWritten) {
    EXPECT_EQ(FormatText("%d and %s", {}), "%d and %s");
    EXPECT_EQ(FormatText("%d and %s", {3}), "3 and %s");
    EXPECT_EQ(FormatText("V%d.%d", {1}), "V1.%d");
    EXPECT_EQ(FormatText("TAG %06X", {}), "TAG %06X");
}

TEST(TextFormat, ArgumentsOfTheWrongKindAreUsedUpButNotShown) {
    EXPECT_EQ(FormatText("%d/%s", {"x", 4}), "%d/%s");
    EXPECT_EQ(FormatText("%s %d", {7, 8}), "%s 8");
    EXPECT_EQ(FormatText("%06X", {"9F8800"}), "%06X");
}

TEST(TextFormat, UnknownDirectivesAreLeftAloneAndTakeNoArgument) {
    EXPECT_EQ(FormatText("%q %d", {3}), "%q 3");
    EXPECT_EQ(FormatText("%ld %d", {3}), "%ld 3");
    EXPECT_EQ(FormatText("%-5d %d", {3}), "%-5d 3");
    EXPECT_EQ(FormatText("%5", {3}), "%5");
}

TEST(TextFormat, WidthsAreBounded) {
    EXPECT_EQ(FormatText("%64d", {1}), std::string(63, ' ') + "1");
    EXPECT_EQ(FormatText("%65d %d", {1, 2}), "%65d 1");
    EXPECT_EQ(FormatText("%99999999999999999999d", {1}), "%99999999999999999999d");
}

TEST(TextFormat, ExtraArgumentsAreIgnored) {
    EXPECT_EQ(FormatText("%d", {1, 2, "three"}), "1");
    EXPECT_EQ(FormatText("no placeholder", {1}), "no placeholder");
    EXPECT_EQ(FormatText("", {1}), "");
}

}  // namespace
}  // namespace kelvane
