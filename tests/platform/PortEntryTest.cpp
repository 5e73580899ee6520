#include "platform/PortEntry.h"

#include <gtest/gtest.h>

namespace kelvane {
namespace {

using Strings = std::vector<std::string>;
using namespace std::chrono_literals;

TEST(PortEntry, ReadsDevicesServersAndLatency) {
    const PortEntry device = ParsePortEntry("/dev/ttyUSB0");
    EXPECT_EQ(device.kind, PortEntry::Kind::Device);
    EXPECT_EQ(device.device, "/dev/ttyUSB0");
    EXPECT_EQ(device.latency, 0ms);
    EXPECT_TRUE(device.problem.empty());

    const PortEntry telnet = ParsePortEntry("rfc2217:tx-site-3:2001?latency=80");
    EXPECT_EQ(telnet.kind, PortEntry::Kind::Rfc2217);
    EXPECT_EQ(telnet.host, "tx-site-3");
    EXPECT_EQ(telnet.port, 2001);
    EXPECT_EQ(telnet.latency, 80ms);
    EXPECT_EQ(telnet.name, "rfc2217:tx-site-3:2001");
    EXPECT_TRUE(telnet.problem.empty());

    const PortEntry v6 = ParsePortEntry("tcp:[::1]:4001");
    EXPECT_EQ(v6.kind, PortEntry::Kind::Tcp);
    EXPECT_EQ(v6.host, "::1");
    EXPECT_EQ(v6.port, 4001);

    const PortEntry slowDevice = ParsePortEntry("/dev/ttyUSB1?latency=15");
    EXPECT_EQ(slowDevice.device, "/dev/ttyUSB1");
    EXPECT_EQ(slowDevice.latency, 15ms);

    for (const char* bad : {"tcp:host", "tcp::2000", "tcp:host:0", "tcp:host:65536", "tcp:host:20x0",
                            "rfc2217:host:2000?latency=", "rfc2217:host:2000?latency=10001", "tcp:host:2000?latency=-5",
                            "?latency=5", "tcp:host:99999999999999999999"}) {
        EXPECT_FALSE(ParsePortEntry(bad).problem.empty()) << bad;
    }
}

TEST(PortEntry, ASemicolonIsTheOnlySeparatorOnceThereIsOne) {
    EXPECT_EQ(SplitPortList("/dev/a:/dev/b"), (Strings{"/dev/a", "/dev/b"}));
    EXPECT_EQ(SplitPortList("tcp:host:2000; rfc2217:10.0.0.5:3001?latency=40 ;;/dev/ttyS0"),
              (Strings{"tcp:host:2000", "rfc2217:10.0.0.5:3001?latency=40", "/dev/ttyS0"}));
    EXPECT_EQ(SplitPortList("tcp:[::1]:2000;"), (Strings{"tcp:[::1]:2000"}));
    // Without a ';' a server entry still holds together.
    EXPECT_EQ(SplitPortList("/dev/a:tcp:host:2000:rfc2217:site:3001:/dev/b"),
              (Strings{"/dev/a", "tcp:host:2000", "rfc2217:site:3001", "/dev/b"}));
    EXPECT_EQ(SplitPortList("::"), Strings{});
    EXPECT_EQ(SplitPortList("tcp"), Strings{"tcp"});
}

TEST(PortEntry, PortsFileHasOneEntryALineWithComments) {
    EXPECT_EQ(ReadPortsFile("# racks at the sites\r\nrfc2217:tx-site-3:2001  # Mont Aigoual\n\n   \n"
                            "tcp:10.1.2.3:4001?latency=120\r\n#/dev/ttyUSB9\n/dev/ttyUSB0"),
              (Strings{"rfc2217:tx-site-3:2001", "tcp:10.1.2.3:4001?latency=120", "/dev/ttyUSB0"}));
    EXPECT_EQ(ReadPortsFile(""), Strings{});
}

TEST(PortEntry, TheOptionThenTheEnvironmentThenThePortsFileWithTheDevices) {
    const std::optional<std::string> file = "tcp:a:1\n";
    PortChoice c = ChoosePorts("rfc2217:b:2", std::string("/dev/x"), file);
    EXPECT_EQ(c.entries, Strings{"rfc2217:b:2"});
    EXPECT_FALSE(c.localDevices);
    c = ChoosePorts("", std::string("/dev/x;tcp:c:3"), file);
    EXPECT_EQ(c.entries, (Strings{"/dev/x", "tcp:c:3"}));
    EXPECT_FALSE(c.localDevices);
    EXPECT_EQ(c.problems, Strings{});
    c = ChoosePorts("", std::nullopt, std::nullopt);
    EXPECT_EQ(c.entries, Strings{});
    EXPECT_TRUE(c.localDevices);
}

// A table the operator gave that cannot be searched as meant is said to be wrong, never searched in its place.
TEST(PortEntry, WhatIsWrongWithTheOptionOrTheEnvironmentIsSaid) {
    const std::optional<std::string> file = "tcp:a:1\n";
    const struct {
        std::string option;
        std::optional<std::string> list;
        Strings entries;
        Strings problems;
    } cases[] = {
        {"", std::string(""), {}, {"KELVANE_PORTS is set but names no port"}},
        {"", std::string(" ; ;"), {}, {"KELVANE_PORTS is set but names no port"}},
        {"",
         std::string("/dev/x;tcp:site"),
         {"/dev/x", "tcp:site"},
         {"KELVANE_PORTS entry tcp:site: no port number after the host"}},
        {"rfc2217:b", std::string("/dev/x"), {"rfc2217:b"}, {"--port rfc2217:b: no port number after the host"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.option + " / " + c.list.value_or("(unset)"));
        const PortChoice choice = ChoosePorts(c.option, c.list, file);
        EXPECT_EQ(choice.entries, c.entries);
        EXPECT_FALSE(choice.localDevices);
        EXPECT_EQ(choice.problems, c.problems);
    }
}

}  // namespace
}  // namespace kelvane

namespace kelvane {
namespace {

TEST(PortEntry, RackNamesGoBeforeTheEntry) {
    struct Case {
        const char* text;
        const char* rack;  // the name read
        const char* name;  // the entry without name and options
        bool refused;
    };
    const Case cases[] = {
        {"Mont Aigoual @ rfc2217:tx-site-3:2001?latency=80", "Mont Aigoual", "rfc2217:tx-site-3:2001", false},
        {"  Hôtel \"Nord\"  @ /dev/ttyUSB0", "Hôtel \"Nord\"", "/dev/ttyUSB0", false},
        {"/dev/ttyUSB0", "", "/dev/ttyUSB0", false},
        {"tcp:a@b:2000", "", "tcp:a@b:2000", false},  // '@' without blanks is part of the entry
        {" @ /dev/ttyUSB0", "", "/dev/ttyUSB0", true},
        {"Site @ ", "Site", "", true},
        {"A @ B @ /dev/ttyUSB0", "A", "B @ /dev/ttyUSB0", true},
        {"Tab\there @ /dev/ttyUSB0", "Tab\there", "/dev/ttyUSB0", true},
        {"Site @ tcp:host", "Site", "tcp:host", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const PortEntry entry = ParsePortEntry(c.text);
        EXPECT_EQ(entry.rack, c.rack);
        EXPECT_EQ(entry.name, c.name);
        EXPECT_EQ(!entry.problem.empty(), c.refused) << entry.problem;
        EXPECT_EQ(RackLabel(entry), *c.rack ? c.rack : c.name);
    }
    EXPECT_FALSE(ParsePortEntry(std::string(kMaxRackNameBytes + 1, 'x') + " @ /dev/a").problem.empty());
    EXPECT_EQ(SplitPortList("Nord @ tcp:host:2000:Sud @ /dev/b"), (Strings{"Nord @ tcp:host:2000", "Sud @ /dev/b"}));
}

TEST(PortEntry, RacksAreChosenByName) {
    const std::string file = "Nord @ /dev/a\n/dev/b\nSud @ tcp:h:1?latency=5\n";
    struct Case {
        const char* what;
        RackRequest request;
        std::optional<std::string> list;  // KELVANE_PORTS
        Strings entries;
        const char* problem;  // a part of it; empty: none
    };
    const Case cases[] = {
        {"a name", {{}, {"Sud"}, false}, std::nullopt, {"Sud @ tcp:h:1?latency=5"}, ""},
        {"all, then not twice",
         {{"/dev/x"}, {"Nord"}, true},
         std::nullopt,
         {"/dev/x", "Nord @ /dev/a", "Sud @ tcp:h:1?latency=5"},
         ""},
        {"the list replaces the file", {{}, {"Est"}, false}, std::string("Est @ /dev/e;/dev/f"), {"Est @ /dev/e"}, ""},
        {"an unknown name says the known",
         {{}, {"Ouest"}, false},
         std::nullopt,
         {},
         "no rack is named Ouest (named: Nord, Sud)"},
        {"all without names", {{}, {}, true}, std::string("/dev/e"), {}, "names no rack"},
        {"a name twice",
         {{}, {"Nord"}, false},
         std::string("Nord @ /dev/e;Nord @ /dev/f"),
         {},
         "two entries are named Nord"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const RackChoice choice = ChooseRacks(c.request, c.list, file);
        EXPECT_EQ(choice.entries, c.entries);
        EXPECT_NE(choice.problem.find(c.problem), std::string::npos) << choice.problem;
        EXPECT_EQ(choice.problem.empty(), *c.problem == '\0') << choice.problem;
    }
}

}  // namespace
}  // namespace kelvane
