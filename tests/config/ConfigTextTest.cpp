// The configuration's text form read and written: what it takes, what it refuses and on which line.

#include "config/ConfigText.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

constexpr const char* kPair = "[pair.6]\ninput.model = \"KXB210\"\noutput.row = 7\noutput.model = \"KXD400\"\n";

TEST(ConfigText, RefusalsSayWhyAndOnWhichLine) {
    const struct {
        const char* name;
        std::string text;
        int line;
        const char* reason;
    } cases[] = {
        {"a TOML error", std::string(kPair) + "level = = 3\n", 5, ""},
        {"a TOML error told under its caret", std::string(kPair) + "in.polarity =id3 = 1283\n", 5, "not a float"},
        {"an array the text ends inside", "[pair.1]\nx = [[1], 7#", 2, "missing array separator"},
        {"a value of another kind", std::string(kPair) + "\nlevel = 1.5\n", 6, "level takes a whole number or a text"},
        {"a true or false", std::string(kPair) + "level = true\n", 5, "level takes a whole number or a text"},
        {"a section that is no pair", "# top\n[network]\nid = 1\n", 2, "'network' is not a [pair.ROW] section"},
        {"a row past the rack", "[pair.15]\ninput.model = \"KXB200\"\n", 1, "[pair.15] is not a section of a row"},
        {"a pair without its input's model", "\n[pair.1]\nlevel = 3\n", 2, "pair 1 names no input.model"},
        {"an output row without its model", "[pair.1]\ninput.model = \"KXB200\"\noutput.row = 3\n", 1,
         "needs both output.row and output.model"},
        {"an output row that is no row", "[pair.1]\ninput.model = \"A\"\noutput.row = 99\noutput.model = \"B\"\n", 3,
         "output.row must be a row"},
        {"keys deeper than any setting", std::string(kPair) + "service.1.a.b = 3\n", 5, "holds keys deeper"},
        {"a quoted key as deep", std::string(kPair) + "\"service.1.a\".b = 3\n", 5, "holds keys deeper"},
        {"a key twice", std::string(kPair) + "level = 3\nlevel = 4\n", 6, ""},
        {"a name twice, quoted once", std::string(kPair) + "in.freq = 3\n\"in.freq\" = 4\n", 6,
         "in.freq is given twice (first on line 5)"},
        {"brackets nested without end", "[pair.1]\nx = " + std::string(40, '[') + "\n", 2, "nested deeper"},
        {"a NUL byte", std::string(kPair) + std::string("level = 3\0\n", 11), 5, "a NUL byte is no text"},
        // toml11 reads past the text's end over a multi-byte sequence cut short in a literal string.
        {"bytes that are not UTF-8", std::string(kPair) + "\nnetwork.name = 'KX\x84\x84'\n", 6, "not UTF-8"},
        {"an array", std::string(kPair) + "\n\nlevel = [3]\n", 7, "level takes a whole number or a text"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ConfigText text;
        text.pairs.emplace_back();
        ConfigTextRefusal refusal;
        ASSERT_FALSE(ReadConfigText(c.text, text, refusal));
        EXPECT_EQ(refusal.line, c.line) << refusal.reason;
        EXPECT_NE(refusal.reason.find(c.reason), std::string::npos) << refusal.reason;
        EXPECT_FALSE(refusal.reason.empty());
        EXPECT_TRUE(text.pairs.empty()) << "a refused text leaves nothing read";
    }
}

TEST(ConfigText, WhatIsWrittenReadsBackTheSame) {
    ConfigText written;
    TextPair pair;
    pair.inputRow = 6;
    pair.inputModel = "KXB210";
    pair.outputRow = 7;
    pair.outputModel = "KXD400";
    pair.heading = "row 6 KXB210 -> row 7 KXD400";
    pair.settings = {
        {"in.freq", "12515", false, 0},        {"network.name", "Caf\u00e9 \"7\" \\ tab\there\x7f", true, 0},
        {"service.3002.lcn", "21", false, 0},  {"service.3001.lcn", "20", false, 0},
        {"service.3002.hdlcn", "0", false, 0}, {"level", "20", false, 0}};
    written.pairs = {pair, TextPair{1, "KXB200", -1, "", "", {{"bandwidth", "8 Mhz", true, 0}}, 0}};
    const std::string bytes = WriteConfigText(written, {"a header"});
    ConfigText read;
    ConfigTextRefusal refusal;
    ASSERT_TRUE(ReadConfigText(bytes, read, refusal)) << refusal.line << ": " << refusal.reason << "\n" << bytes;
    ASSERT_EQ(read.pairs.size(), 2u);
    const TextPair& back = read.pairs[1].inputRow == 6 ? read.pairs[1] : read.pairs[0];
    EXPECT_EQ(back.inputModel, "KXB210");
    EXPECT_EQ(back.outputRow, 7);
    EXPECT_EQ(back.outputModel, "KXD400");
    // The writer puts the pair's own fields first and gathers each service's under one table.
    const std::vector<std::string> order = {"in.freq",          "network.name",       "level",
                                            "service.3002.lcn", "service.3002.hdlcn", "service.3001.lcn"};
    ASSERT_EQ(back.settings.size(), order.size()) << bytes;
    for (std::size_t k = 0; k < order.size(); ++k) {
        SCOPED_TRACE(order[k]);
        EXPECT_EQ(back.settings[k].name, order[k]);
        const auto original = std::find_if(pair.settings.begin(), pair.settings.end(),
                                           [&](const TextSetting& s) { return s.name == order[k]; });
        EXPECT_EQ(back.settings[k].value, original->value);
        EXPECT_EQ(back.settings[k].quoted, original->quoted);
        EXPECT_GT(back.settings[k].line, 0);
    }
    EXPECT_EQ(WriteConfigText(written, {"a header"}), bytes) << "the same document gives the same bytes";
}

}  // namespace
}  // namespace kelvane
