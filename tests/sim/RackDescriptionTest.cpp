#include "sim/RackDescription.h"

#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/sim/HexBytes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kelvane::sim {
namespace {

using test::Hex;

bool Parse(const std::string& text, RackDescription& rack, std::string& error) {
    std::istringstream in(text);
    return ParseRackDescription(in, rack, error);
}

TEST(RackFile, ReadsModulesInSlotOrder) {
    const std::string text =
        "# a two-pair rack\n"
        "kxb200 1 12 active 06 4C 6B6C\n"
        "\n"
        "KXA100 0 23        # the controller may stand anywhere\n"
        "KXD400 0x0A 7 inactive\n"
        "+ 0102 03   # more image bytes\n"
        "+ 04\n"
        "12 200 0\n";
    RackDescription rack;
    std::string error;
    ASSERT_TRUE(Parse(text, rack, error)) << error;
    EXPECT_EQ(rack.controllerVersion, 23);
    EXPECT_TRUE(rack.controllerActive);
    ASSERT_EQ(rack.modules.size(), 3u);
    EXPECT_EQ(rack.modules[0].type, kKXB200);
    EXPECT_EQ(rack.modules[0].address, 1);
    EXPECT_EQ(rack.modules[0].version, 12);
    EXPECT_TRUE(rack.modules[0].active);
    EXPECT_EQ(rack.modules[0].config, Hex("06 4C 6B 6C"));
    EXPECT_EQ(rack.modules[1].address, 10);
    EXPECT_FALSE(rack.modules[1].active);
    EXPECT_EQ(rack.modules[1].config, Hex("01 02 03 04"));
    EXPECT_EQ(rack.modules[2].type, 12);  // a code without a model name
    EXPECT_TRUE(rack.modules[2].config.empty());
}

TEST(RackFile, ControllerDefaultsAndInactiveController) {
    RackDescription rack;
    std::string error;
    ASSERT_TRUE(Parse("KXF600 3 10\n", rack, error)) << error;
    EXPECT_EQ(rack.controllerVersion, 10);
    ASSERT_TRUE(Parse("0 0 9 inactive\n", rack, error)) << error;
    EXPECT_FALSE(rack.controllerActive);
    EXPECT_TRUE(rack.modules.empty());
}

TEST(RackFile, RefusesMalformedLinesNamingThem) {
    struct Case {
        std::string text;
        std::string error;
    };
    const Case cases[] = {
        {"KXB200 1\n", "line 1: expected MODEL ADDRESS VERSION [active|inactive] [HEX ...]"},
        {"KXZ999 1 10\n", "line 1: unknown model 'KXZ999'"},
        {"KXB200 1 256\n", "line 1: version '256' is not a number from 0 to 255"},
        {"KXB200 x1 10\n", "line 1: address 'x1' is not a number from 0 to 255"},
        {"KXB200 253 10\n",
         "line 1: address 253 is not a module address (0 is the controller, 253 the PC, 255 broadcast)"},
        {"KXB200 0 10\n", "line 1: address 0 is not a module address (0 is the controller, 253 the PC, 255 broadcast)"},
        {"KXB200 1 10\n# c\nKXD400 1 10\n", "line 3: address 1 is already used on line 1"},
        {"KXB200 1 10 ABC\n", "line 1: hex 'ABC' has an odd number of digits"},
        {"KXB200 1 10 actif\n", "line 1: 'actif' is neither a flag nor hex digits"},
        {"+ 0102\n", "line 1: '+' continues no module line"},
        {"KXA100 0 10\n+ 01\n", "line 2: '+' continues no module line"},
        {"KXA100 0 10\nKXA100 0 11\n", "line 2: the controller is already given on line 1"},
        {"KXA100 4 10\n", "line 1: the controller sits at address 0, not 4"},
        {"KXA100 0 10 0102\n", "line 1: the controller carries no configuration image"},
    };
    for (const Case& c : cases) {
        RackDescription rack = DefaultRack();
        std::string error;
        SCOPED_TRACE(c.text);
        EXPECT_FALSE(Parse(c.text, rack, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(rack.modules.size(), DefaultRack().modules.size());  // untouched on failure
    }
}

TEST(RackFile, RefusesAnImageLongerThanAModuleHolds) {
    std::string text = "KXD420 5 20\n";
    const std::string line = "+ " + std::string(64, 'A') + "\n";  // 32 bytes a line
    for (int i = 0; i < 32; ++i) text += line;  // exactly 1024 bytes
    RackDescription rack;
    std::string error;
    ASSERT_TRUE(Parse(text, rack, error)) << error;
    EXPECT_EQ(rack.modules[0].config.size(), kMaxConfigLength);
    EXPECT_FALSE(Parse(text + "+ 00\n", rack, error));
    EXPECT_EQ(error, "line 34: configuration image longer than 1024 bytes");
}

TEST(RackFile, WrittenFormReadsBackToTheSameRack) {
    RackDescription rack = DefaultRack();
    rack.modules[1].active = false;
    rack.modules.push_back({200, 0xFE, 3, true, {0x02}});
    RackDescription read;
    std::string error;
    ASSERT_TRUE(Parse(FormatRackDescription(rack), read, error)) << error;
    EXPECT_EQ(read.controllerVersion, rack.controllerVersion);
    ASSERT_EQ(read.modules.size(), rack.modules.size());
    for (std::size_t i = 0; i < rack.modules.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(read.modules[i].type, rack.modules[i].type);
        EXPECT_EQ(read.modules[i].address, rack.modules[i].address);
        EXPECT_EQ(read.modules[i].version, rack.modules[i].version);
        EXPECT_EQ(read.modules[i].active, rack.modules[i].active);
        EXPECT_EQ(read.modules[i].config, rack.modules[i].config);
    }
}

TEST(RackValidation, CatchesRacksBuiltInCode) {
    std::string error;
    EXPECT_TRUE(ValidateRack(DefaultRack(), error)) << error;

    RackDescription twice = DefaultRack();
    twice.modules[3].address = twice.modules[0].address;
    EXPECT_FALSE(ValidateRack(twice, error));
    EXPECT_EQ(error, "module 4 (address 1): address used twice");

    RackDescription pcAddress = DefaultRack();
    pcAddress.modules[0].address = 0xFD;
    EXPECT_FALSE(ValidateRack(pcAddress, error));

    RackDescription controllerListed = DefaultRack();
    controllerListed.modules[0].type = 0;
    EXPECT_FALSE(ValidateRack(controllerListed, error));

    RackDescription tooLong = DefaultRack();
    tooLong.modules[2].config.resize(kMaxConfigLength + 1);
    EXPECT_FALSE(ValidateRack(tooLong, error));
}

}  // namespace
}  // namespace kelvane::sim
