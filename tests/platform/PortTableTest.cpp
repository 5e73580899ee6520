#include "platform/posix/PortTable.h"
#include "platform/posix/PosixSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <stdlib.h>
#include <thread>
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

TEST(PortTable, EnvironmentListReplacesTheScan) {
    setenv("KELVANE_PORTS", "/nonexistent/a:/nonexistent/b", 1);
    PortTable table = PortTable::FromEnvironment();
    unsetenv("KELVANE_PORTS");
    EXPECT_EQ(table.Paths(), (std::vector<std::string>{"/nonexistent/a", "/nonexistent/b"}));
    EXPECT_EQ(table.Describe(1), "/nonexistent/b");
    EXPECT_EQ(table.Open(0), nullptr);
    EXPECT_EQ(table.Open(2), nullptr);
}

// A pseudo-terminal stands in for a serial line: its master side is the far end.
class PseudoTerminal {
public:
    PseudoTerminal() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
        // Holding the slave open keeps the master readable while the port is closed and reopened.
        if (!path_.empty()) holder_ = open(path_.c_str(), O_RDWR | O_NOCTTY);
    }
    ~PseudoTerminal() {
        if (holder_ >= 0) close(holder_);
        if (master_ >= 0) close(master_);
    }
    const std::string& Path() const { return path_; }
    void Send(const std::vector<std::uint8_t>& bytes) { ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
    std::vector<std::uint8_t> Receive(std::size_t count) {
        std::vector<std::uint8_t> got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (got.size() < count && std::chrono::steady_clock::now() < deadline) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 50) > 0) {
                std::uint8_t b[64];
                const ssize_t n = read(master_, b, std::min(sizeof b, count - got.size()));
                if (n > 0) got.insert(got.end(), b, b + n);
            }
        }
        return got;
    }

private:
    int master_ = -1;
    int holder_ = -1;
    std::string path_;
};

std::optional<std::uint8_t> ReadWithin(SerialPort& port, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (const auto b = port.ReadByte()) return b;
    }
    return std::nullopt;
}

TEST(PosixSerialPort, CarriesRawBytesBothWays) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.Path().empty());
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);

    // Bytes a cooked terminal would translate or swallow: CR, LF, XON/XOFF, ^C, 0xFF.
    const std::vector<std::uint8_t> raw{0x02, 0x0D, 0x0A, 0x11, 0x13, 0x03, 0xFF, 0x00, 0x7F};
    EXPECT_TRUE(port->Write(raw));
    EXPECT_EQ(pty.Receive(raw.size()), raw);

    pty.Send(raw);
    std::vector<std::uint8_t> got;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto b = ReadWithin(*port, std::chrono::seconds(5));
        ASSERT_TRUE(b.has_value()) << "byte " << i;
        got.push_back(*b);
    }
    EXPECT_EQ(got, raw);
}

TEST(PosixSerialPort, EmptyReadReturnsPromptly) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port->ReadByte().has_value());
    // Generous: a loaded machine may be slow, but a blocking read would never come back here at all.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

TEST(PosixSerialPort, ClosingReleasesExclusivitySoThePortReopens) {
    PseudoTerminal pty;
    for (int round = 0; round < 3; ++round) {
        auto port = PosixSerialPort::Open(pty.Path());
        ASSERT_NE(port, nullptr) << "round " << round;
        EXPECT_TRUE(port->Write(std::vector<std::uint8_t>{static_cast<std::uint8_t>(round)}));
        EXPECT_EQ(pty.Receive(1), std::vector<std::uint8_t>{static_cast<std::uint8_t>(round)});
    }
}

TEST(PosixSerialPort, RefusesWhatIsNotATerminal) {
    EXPECT_EQ(PosixSerialPort::Open("/nonexistent/ttyS99"), nullptr);
    const fs::path file = fs::temp_directory_path() / ("kelvane-notatty-" + std::to_string(getpid()));
    std::ofstream(file).put('x');
    EXPECT_EQ(PosixSerialPort::Open(file.string()), nullptr);
    fs::remove(file);
}

}  // namespace
}  // namespace kelvane
