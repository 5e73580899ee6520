#include "platform/posix/PortTable.h"
#include "platform/posix/PosixSerialPort.h"

#include "tests/platform/PseudoTerminal.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <linux/serial.h>
#include <array>
#include <thread>
#include <tuple>

namespace kelvane {
namespace {
namespace fs = std::filesystem;
using test::PseudoTerminal;
using namespace std::chrono_literals;

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

// Low latency is asked of every device; a pseudo-terminal, like many drivers, refuses it, and the port must still
// open and carry bytes.
TEST(PosixSerialPort, OpensWhereTheDriverRefusesLowLatency) {
    PseudoTerminal pty;
    const int probe = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    serial_struct serial{};
    const bool refused = ioctl(probe, TIOCGSERIAL, &serial) != 0;
    close(probe);
    if (!refused) GTEST_SKIP() << "this kernel's pseudo-terminals take TIOCGSERIAL";

    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    const std::vector<std::uint8_t> bytes{0x02, 0xFD, 0x00, 0xF0, 0xF0};
    EXPECT_TRUE(port->Write(bytes));
    EXPECT_EQ(pty.Receive(bytes.size()), bytes);
}

// Bytes that come in bursts, as from a paced line or a USB adapter, are gathered into one read up to the count
// the caller expects; fewer than that come back whole when the wait ends, and a plain Read still returns at the
// first burst.
TEST(PosixSerialPort, ReadExpectingGathersTheExpectedBytes) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    std::array<std::uint8_t, 64> buffer{};

    std::thread sender([&pty] {
        pty.Send({1, 2, 3});
        std::this_thread::sleep_for(30ms);
        pty.Send({4, 5, 6, 7, 8});
    });
    const ReadResult gathered = port->ReadExpecting(buffer, 8, 5s);
    sender.join();
    EXPECT_EQ(gathered.status, ReadStatus::Received);
    ASSERT_EQ(gathered.count, 8u);
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 8),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}));

    pty.Send({9, 10});
    const ReadResult partial = port->ReadExpecting(buffer, 6, 100ms);
    EXPECT_EQ(partial.status, ReadStatus::Received);
    EXPECT_EQ(partial.count, 2u);
    EXPECT_EQ(buffer[1], 10);

    EXPECT_EQ(port->ReadExpecting(buffer, 4, 20ms).status, ReadStatus::TimedOut);
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

// Whoever uses the port after us finds it as it was: a terminal's cooked line at 9600, or a line some other
// program left raw with flow control at 57600, comes back to exactly that once the port is closed.
TEST(PosixSerialPort, ClosingGivesBackTheSettingsItFound) {
    const auto cooked = [](termios& t) {
        t.c_lflag |= ICANON | ECHO | ISIG;
        t.c_oflag |= OPOST | ONLCR;
        cfsetspeed(&t, B9600);
    };
    const auto rawWithFlowControl = [](termios& t) {
        cfmakeraw(&t);
        t.c_cflag |= CRTSCTS | CSTOPB;
        t.c_cc[VMIN] = 4;
        cfsetspeed(&t, B57600);
    };
    for (const auto change : {+cooked, +rawWithFlowControl}) {
        PseudoTerminal pty;
        const int watcher = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(watcher, 0);
        termios before{}, after{};
        ASSERT_EQ(tcgetattr(watcher, &before), 0);
        change(before);
        ASSERT_EQ(tcsetattr(watcher, TCSANOW, &before), 0);
        ASSERT_EQ(tcgetattr(watcher, &before), 0);
        ASSERT_NE(PosixSerialPort::Open(pty.Path()), nullptr);  // opened at 115200 raw, and closed at once
        ASSERT_EQ(tcgetattr(watcher, &after), 0);
        close(watcher);
        EXPECT_EQ(std::tie(after.c_iflag, after.c_oflag, after.c_cflag, after.c_lflag),
                  std::tie(before.c_iflag, before.c_oflag, before.c_cflag, before.c_lflag));
        EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
        EXPECT_EQ(after.c_cc[VMIN], before.c_cc[VMIN]);
    }
}

int ExclusiveState(int fd) {
    int held = -1;
    EXPECT_EQ(ioctl(fd, TIOCGEXCL, &held), 0);
    return held;
}

// Run as root, as the lead's suite is: root passes TIOCEXCL, so only the lock and the check keep it out.
TEST(PosixSerialPort, OneProgramPerPort) {
    PseudoTerminal pty;
    {
        auto first = PosixSerialPort::Open(pty.Path());
        ASSERT_NE(first, nullptr);
        int error = 0;
        EXPECT_EQ(PosixSerialPort::Open(pty.Path(), &error), nullptr);
        EXPECT_EQ(error, EBUSY);
        EXPECT_TRUE(PosixSerialPort::IsBusy(error));
        // The refused opener leaves the holder's exclusivity as it was.
        const int probe = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (probe >= 0) {
            EXPECT_EQ(ExclusiveState(probe), 1);
            close(probe);
        }
    }
    // Closed, the port is free again, exclusivity and lock both.
    const int probe = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(probe, 0);
    EXPECT_EQ(ExclusiveState(probe), 0);
    EXPECT_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
    close(probe);
}

TEST(PosixSerialPort, RespectsWhatAnotherProgramHolds) {
    PseudoTerminal pty;
    // A program that locks the device, as terminal programs do.
    int other = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    int error = 0;
    EXPECT_EQ(PosixSerialPort::Open(pty.Path(), &error), nullptr);
    EXPECT_EQ(error, EBUSY);
    close(other);

    // A program that only sets exclusivity: opening past it as root and closing again would clear it.
    other = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_EQ(PosixSerialPort::Open(pty.Path(), &error), nullptr);
    EXPECT_EQ(error, EBUSY);
    EXPECT_EQ(ExclusiveState(other), 1);
    ioctl(other, TIOCNXCL);
    close(other);
}

TEST(PosixSerialPort, RefusesWhatIsNotATerminalAndSaysWhy) {
    int error = 0;
    EXPECT_EQ(PosixSerialPort::Open("/nonexistent/ttyS99", &error), nullptr);
    EXPECT_EQ(error, ENOENT);
    const fs::path file = fs::temp_directory_path() / ("kelvane-notatty-" + std::to_string(getpid()));
    std::ofstream(file).put('x');
    EXPECT_EQ(PosixSerialPort::Open(file.string(), &error), nullptr);
    EXPECT_EQ(error, ENOTTY);
    EXPECT_FALSE(PosixSerialPort::IsBusy(error));

    // The port table keeps the reason with the device's name.
    PortTable table({"/nonexistent/ttyS99", file.string()});
    EXPECT_EQ(table.Open(1), nullptr);
    EXPECT_EQ(table.LastOpenFailure().device, file.string());
    EXPECT_EQ(table.LastOpenFailure().error, ENOTTY);
    EXPECT_EQ(table.Open(0), nullptr);
    EXPECT_EQ(table.LastOpenFailure().device, "/nonexistent/ttyS99");
    EXPECT_EQ(table.LastOpenFailure().error, ENOENT);
    EXPECT_FALSE(table.LastOpenFailure().busy);
    fs::remove(file);
}

// A process id no process has any more: a child that has ended and been reaped.
pid_t EndedProcess() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// The lock files of terminal programs, in a folder of the test's own: a live holder makes the device busy and
// named; a stale or unreadable file does not, and is replaced. While open the port holds its own lock file, and
// removes it as it closes.
TEST(PosixSerialPort, RespectsAndTakesUucpLockFiles) {
    PseudoTerminal pty;
    const fs::path folder = fs::temp_directory_path() / ("kelvane-locks-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const UucpLock::Folders folders = {folder / "missing", folder};
    const fs::path lockFile = folder / UucpLock::LockName(pty.Path());
    const auto holderText = [](long pid) {
        char text[16];
        std::snprintf(text, sizeof text, "%10ld\n", pid);
        return std::string(text);
    };
    struct Case {
        const char* what;
        std::optional<std::string> lockText;
        bool busy;
    };
    const Case cases[] = {
        {"no lock file", std::nullopt, false},
        {"a live holder", holderText(getppid()), true},
        {"a holder that has ended", holderText(EndedProcess()), false},
        {"a file that names no process", std::string("not a pid\n"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(lockFile);
        if (c.lockText) std::ofstream(lockFile) << *c.lockText;
        int error = 0;
        auto port = PosixSerialPort::Open(pty.Path(), &error, &folders);
        EXPECT_EQ(port == nullptr, c.busy);
        if (c.busy) {
            EXPECT_EQ(error, EBUSY);
            const OpenFailure failure = PosixSerialPort::Explain(pty.Path(), error, &folders);
            EXPECT_TRUE(failure.busy);
            EXPECT_EQ(failure.detail, std::to_string(getppid()));
            continue;
        }
        std::ifstream held(lockFile);
        std::string text((std::istreambuf_iterator<char>(held)), {});
        EXPECT_EQ(text, holderText(getpid()));
        port.reset();
        EXPECT_FALSE(fs::exists(lockFile)) << "the port's own lock file outlived it";
    }
    fs::remove_all(folder);
}

// A device this user may not open: the operator is told which group to join, the one that owns the device.
TEST(PosixSerialPort, APortThisUserMayNotOpenNamesTheGroupToJoin) {
    const fs::path file = fs::temp_directory_path() / ("kelvane-explain-" + std::to_string(getpid()));
    std::ofstream(file).put('x');
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    const group* owner = getgrgid(status.st_gid);
    ASSERT_NE(owner, nullptr);
    const OpenFailure failure = PosixSerialPort::Explain(file.string(), EACCES);
    EXPECT_EQ(failure.problem, OpenProblem::NotPermitted);
    EXPECT_EQ(failure.detail, owner->gr_name);
    fs::remove(file);
}

TEST(PosixSerialPort, OneReadTakesEverythingThatIsThere) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    const std::vector<std::uint8_t> sent{0x02, 0xFD, 0x00, 0xF3, 0x77, 0x00, 0x1F, 0x9B};
    pty.Send(sent);
    std::this_thread::sleep_for(50ms);  // let the pseudo-terminal pass them all on

    std::vector<std::uint8_t> into(64);
    const ReadResult got = port->Read(into, 5s);
    EXPECT_EQ(got.status, ReadStatus::Received);
    ASSERT_EQ(got.count, sent.size());
    EXPECT_EQ(std::vector<std::uint8_t>(into.begin(), into.begin() + 8), sent);

    // Nothing left: a zero wait reports it at once, and a short wait runs out as a time-out, not a hang-up.
    EXPECT_EQ(port->Read(into, 0ms).status, ReadStatus::TimedOut);
    EXPECT_EQ(port->Read(into, 20ms).status, ReadStatus::TimedOut);
    // Nor is an empty buffer a hang-up, even with bytes waiting.
    pty.Send({0x55});
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(port->Read({}, 0ms).status, ReadStatus::TimedOut);
    EXPECT_FALSE(port->HungUp());
    EXPECT_EQ(port->Read(into, 5s).count, 1u);
}

TEST(PosixSerialPort, ReadReportsTheFarEndGoingAway) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    pty.CloseMaster();
    std::vector<std::uint8_t> into(16);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->Read(into, 10s).status, ReadStatus::HungUp);
    // Generous: the wait must not be sat out on a line that is gone.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(port->HungUp());
    EXPECT_EQ(port->Read(into, 10s).status, ReadStatus::HungUp);
}

// A gathering read takes what is there without a poll first; a raw tty with nothing to give answers that read
// as a hung-up one does, so the far end going away must still be told apart from silence.
TEST(PosixSerialPort, AGatheringReadReportsTheFarEndGoingAway) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    std::vector<std::uint8_t> into(16);
    EXPECT_EQ(port->ReadExpecting(into, 8, 20ms).status, ReadStatus::TimedOut);
    EXPECT_FALSE(port->HungUp());

    std::thread closer([&pty] {
        std::this_thread::sleep_for(30ms);
        pty.CloseMaster();
    });
    const auto start = std::chrono::steady_clock::now();
    const ReadResult got = port->ReadExpecting(into, 8, 10s);
    closer.join();
    EXPECT_EQ(got.status, ReadStatus::HungUp);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(port->HungUp());
}

extern "C" void IgnoreAlarm(int) {}

TEST(PosixSerialPort, ASignalDuringTheWaitIsNotTheEndOfIt) {
    PseudoTerminal pty;
    auto port = PosixSerialPort::Open(pty.Path());
    ASSERT_NE(port, nullptr);
    struct sigaction action {};
    action.sa_handler = IgnoreAlarm;  // no SA_RESTART: the wait is interrupted
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGALRM, &action, &previous), 0);
    const pthread_t reader = pthread_self();
    std::thread farEnd([&] {
        std::this_thread::sleep_for(50ms);
        pthread_kill(reader, SIGALRM);
        std::this_thread::sleep_for(150ms);
        pty.Send({0x42});
    });

    std::vector<std::uint8_t> into(4);
    const ReadResult got = port->Read(into, 10s);
    farEnd.join();
    sigaction(SIGALRM, &previous, nullptr);
    EXPECT_EQ(got.status, ReadStatus::Received);
    ASSERT_EQ(got.count, 1u);
    EXPECT_EQ(into[0], 0x42);
}

}  // namespace
}  // namespace kelvane
