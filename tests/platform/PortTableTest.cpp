#include "platform/posix/PortTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdlib.h>
#include <unistd.h>

namespace kelvane {
namespace {
namespace fs = std::filesystem;

TEST(PortTable, ParsesColonSeparatedList) {
    EXPECT_EQ(PortTable::ParseList("/dev/a:/dev/b"), (std::vector<std::string>{"/dev/a", "/dev/b"}));
    EXPECT_EQ(PortTable::ParseList(":/dev/a::/dev/b:"), (std::vector<std::string>{"/dev/a", "/dev/b"}));
    EXPECT_TRUE(PortTable::ParseList("").empty());
}

TEST(PortTable, ScansDevicesInStableOrderWithoutDuplicates) {
    const fs::path root = fs::temp_directory_path() / ("kelvane-dev-" + std::to_string(getpid()));
    fs::create_directories(root / "serial" / "by-id");
    for (const char* name : {"ttyS10", "ttyS2", "ttyS0", "ttyACM0", "ttyUSB1", "ttyUSB0", "tty1", "null"}) {
        std::ofstream(root / name).put('x');
    }
    fs::create_symlink(root / "ttyUSB1", root / "serial" / "by-id" / "usb-FTDI_rack-if00");

    const auto table = PortTable::ScanDevices(root.string());
    const std::vector<std::string> expected{
        (root / "serial" / "by-id" / "usb-FTDI_rack-if00").string(),
        (root / "ttyUSB0").string(),
        (root / "ttyACM0").string(),
        (root / "ttyS0").string(),
        (root / "ttyS2").string(),
        (root / "ttyS10").string(),
    };
    EXPECT_EQ(table, expected);
    fs::remove_all(root);
}

TEST(PortTable, EverySearchScansAfresh) {
    const fs::path root = fs::temp_directory_path() / ("kelvane-plug-" + std::to_string(getpid()));
    fs::create_directories(root);
    std::ofstream(root / "ttyS0").put('x');
    PortTable table = PortTable::Scanning(root.string());
    EXPECT_EQ(table.Paths(), (std::vector<std::string>{(root / "ttyS0").string()}));

    // An adapter plugged in after start-up, in the place the order rules give it.
    std::ofstream(root / "ttyUSB0").put('x');
    table.BeginSearch();
    EXPECT_EQ(table.Paths(), (std::vector<std::string>{(root / "ttyUSB0").string(), (root / "ttyS0").string()}));
    EXPECT_EQ(table.Describe(0), (root / "ttyUSB0").string());

    // And one pulled out.
    fs::remove(root / "ttyS0");
    table.BeginSearch();
    EXPECT_EQ(table.Paths(), (std::vector<std::string>{(root / "ttyUSB0").string()}));

    // A table the operator listed stays as listed.
    PortTable listed({"/nonexistent/a"});
    listed.BeginSearch();
    EXPECT_EQ(listed.Paths(), (std::vector<std::string>{"/nonexistent/a"}));
    fs::remove_all(root);
}

TEST(PortTable, EnvironmentListReplacesTheScan) {
    setenv("KELVANE_PORTS", "/nonexistent/a:/nonexistent/b", 1);
    PortTable table = PortTable::FromEnvironment();
    unsetenv("KELVANE_PORTS");
    EXPECT_EQ(table.Paths(), (std::vector<std::string>{"/nonexistent/a", "/nonexistent/b"}));
    EXPECT_EQ(table.Describe(1), "/nonexistent/b");
    EXPECT_EQ(table.Open(0), nullptr);
    EXPECT_EQ(table.Open(2), nullptr);
}

}  // namespace
}  // namespace kelvane
