#include "sim/RackSimulator.h"

#include "sim/DefaultRack.h"
#include "sim/ModuleModels.h"
#include "tests/sim/HexBytes.h"
#include "tests/sim/ReplyFrames.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace kelvane::sim {
namespace {

using test::Hex;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 5s;

// The program's side of the line, opened the way the program opens a serial port: raw, non-blocking and
// exclusive while held.
class PcPort {
public:
    explicit PcPort(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios settings{};
        if (fd_ < 0 || ::tcgetattr(fd_, &settings) != 0) return;
        ::cfmakeraw(&settings);
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        ::tcsetattr(fd_, TCSANOW, &settings);
        ::ioctl(fd_, TIOCEXCL);
        ::tcflush(fd_, TCIOFLUSH);
    }
    ~PcPort() {
        if (fd_ < 0) return;
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
    }
    PcPort(const PcPort&) = delete;
    PcPort& operator=(const PcPort&) = delete;

    bool IsOpen() const { return fd_ >= 0; }

    bool Write(const std::vector<std::uint8_t>& bytes) {
        std::size_t done = 0;
        const auto deadline = Clock::now() + kPatience;
        while (done < bytes.size() && Clock::now() < deadline) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            else
                Wait(POLLOUT);
        }
        return done == bytes.size();
    }

    // Exactly `count` bytes, or fewer when they do not come within the patience.
    std::vector<std::uint8_t> Read(std::size_t count) {
        std::vector<std::uint8_t> got(count);
        std::size_t done = 0;
        const auto deadline = Clock::now() + kPatience;
        while (done < count && Clock::now() < deadline) {
            const ssize_t n = ::read(fd_, got.data() + done, count - done);
            if (n > 0)
                done += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            else
                Wait(POLLIN);
        }
        got.resize(done);
        return got;
    }

    // The reply frame that comes next, read byte by byte up to its checksum.
    std::optional<test::ReplyFrame> ReadReply() {
        std::vector<std::uint8_t> line;
        for (std::size_t i = 0; i < 70'000; ++i) {
            const std::vector<std::uint8_t> b = Read(1);
            if (b.empty()) return std::nullopt;
            line.push_back(b[0]);
            if (auto frame = test::ReadReplyFrame(line); frame && frame->lineLength == line.size()) return frame;
        }
        return std::nullopt;
    }

    // Whether the line hangs up within the patience; data still arriving is passed over. (A raw line with
    // nothing to read returns 0, so only a failed read or a hang-up from poll counts.)
    bool WaitForHangUp() {
        const auto deadline = Clock::now() + kPatience;
        while (Clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            ::poll(&p, 1, 20);
            if (p.revents & (POLLHUP | POLLERR)) return true;
            std::uint8_t sink[64];
            if (::read(fd_, sink, sizeof sink) < 0 && errno != EAGAIN && errno != EINTR) return true;
        }
        return false;
    }

private:
    void Wait(short events) const {
        pollfd p{fd_, events, 0};
        ::poll(&p, 1, 20);
    }

    int fd_ = -1;
};

std::vector<std::uint8_t> Request(std::uint8_t address, std::uint8_t command,
                                  const std::vector<std::uint8_t>& payload = {}) {
    return EncodeFrame(address, kPcAddress, command, payload);
}

// Waits, within the patience, for `condition` to hold.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto deadline = Clock::now() + kPatience;
    while (!condition()) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(2ms);
    }
    return true;
}

class RackSimulatorPty : public ::testing::Test {
protected:
    void StartRack(FaultOptions faults = {}, bool paced = false) {
        simulator_ = std::make_unique<RackSimulator>(DefaultRack(), faults, paced);
        std::string error;
        ASSERT_TRUE(simulator_->Start(error)) << error;
    }

    // Sends a request and checks that its echo comes back first.
    void SendEchoed(PcPort& port, const std::vector<std::uint8_t>& request) {
        ASSERT_TRUE(port.Write(request));
        EXPECT_EQ(port.Read(request.size()), request);
    }

    std::unique_ptr<RackSimulator> simulator_;
};

TEST_F(RackSimulatorPty, EchoesTheRequestThenReplies) {
    StartRack();
    PcPort port(simulator_->PortPath());
    ASSERT_TRUE(port.IsOpen());
    SendEchoed(port, Request(0, kIdentityCommand));
    EXPECT_EQ(port.Read(8), Hex("02 FD 00 F3 77 00 0E 8A"));
    EXPECT_TRUE(Eventually([&] { return simulator_->RepliesSent() == 1; }));
    EXPECT_EQ(simulator_->RequestCount(), 1u);
}

TEST_F(RackSimulatorPty, KeepsServingWhileTheProgramClosesAndReopens) {
    StartRack();
    {
        PcPort port(simulator_->PortPath());
        SendEchoed(port, Request(5, kWriteCommand, Hex("01 02 03 04")));
        const auto reply = port.ReadReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->code, kAccepted);
    }
    PcPort again(simulator_->PortPath());
    ASSERT_TRUE(again.IsOpen());
    SendEchoed(again, Request(5, kRestartCommand));
    const auto reply = again.ReadReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->source, 5);
    EXPECT_EQ(simulator_->ConfigOf(5), Hex("01 02 03 04"));
    EXPECT_EQ(simulator_->ConfigWrites(5), 1u);
    EXPECT_EQ(simulator_->RestartCount(5), 1u);
    EXPECT_TRUE(simulator_->TerminalOpen());
}

TEST_F(RackSimulatorPty, CloseTerminalHangsUpTheProgram) {
    StartRack();
    PcPort port(simulator_->PortPath());
    SendEchoed(port, Request(0, kIdentityCommand));
    ASSERT_TRUE(port.ReadReply().has_value());
    simulator_->CloseTerminal();
    EXPECT_FALSE(simulator_->TerminalOpen());
    EXPECT_TRUE(port.WaitForHangUp());
    PcPort late(simulator_->PortPath());
    EXPECT_FALSE(late.IsOpen());
}

TEST_F(RackSimulatorPty, ClosesOnceTheLastAllowedReplyIsRead) {
    FaultOptions faults;
    faults.closeAfterReplies = 2;
    StartRack(faults);
    PcPort port(simulator_->PortPath());
    for (std::uint8_t address : {1, 2}) {
        SendEchoed(port, Request(address, kIdentityCommand));
        const auto reply = port.ReadReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->source, address);
    }
    EXPECT_TRUE(port.WaitForHangUp());
    EXPECT_FALSE(simulator_->TerminalOpen());
}

TEST_F(RackSimulatorPty, FaultsChangeWhileRunning) {
    StartRack();
    PcPort port(simulator_->PortPath());
    simulator_->SetSilent(true);
    const auto first = Request(3, kIdentityCommand);
    SendEchoed(port, first);
    ASSERT_TRUE(Eventually([&] { return simulator_->RequestCount() == 1; }));
    simulator_->SetSilent(false);
    // The silent request left nothing on the line: next come the echo and the reply of the second one.
    SendEchoed(port, Request(4, kIdentityCommand));
    EXPECT_EQ(port.Read(8), Hex("02 FD 04 F3 77 00 0B 8F"));

    FaultOptions refusing;
    refusing.refuseShare = 1;
    simulator_->SetFaults(refusing);
    SendEchoed(port, Request(4, kReadConfigCommand));
    auto reply = port.ReadReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->code, kRefused);
    EXPECT_TRUE(reply->checksumOk);

    FaultOptions corrupting;
    corrupting.corruptShare = 1;
    simulator_->SetFaults(corrupting);
    SendEchoed(port, Request(4, kIdentityCommand));
    reply = port.ReadReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->payload, Hex("77 00 0B"));
    EXPECT_FALSE(reply->checksumOk);
    EXPECT_EQ(simulator_->RequestCount(), 4u);
}

TEST_F(RackSimulatorPty, PacedLineDeliversWholeFrames) {
    StartRack({}, true);
    PcPort port(simulator_->PortPath());
    SendEchoed(port, Request(3, kReadConfigCommand));
    const auto reply = port.ReadReply();
    ASSERT_TRUE(reply.has_value());
    EXPECT_TRUE(reply->checksumOk);
    EXPECT_EQ(reply->payload, DefaultRack().modules[2].config);
}

// The benchmark's bound is made of these counts: what the program wrote and what the rack replied, not the echo.
TEST_F(RackSimulatorPty, CountsTheBytesEachWay) {
    StartRack();
    PcPort port(simulator_->PortPath());
    ASSERT_TRUE(port.IsOpen());
    EXPECT_EQ(simulator_->Traffic().fromPc, 0u);
    SendEchoed(port, Request(0, kIdentityCommand));
    EXPECT_EQ(port.Read(8).size(), 8u);
    SendEchoed(port, Request(0xFF, 0xC0, {0x03}));  // a broadcast: written, never answered
    EXPECT_TRUE(Eventually([&] { return simulator_->RequestCount() == 2; }));
    const LineTraffic traffic = simulator_->Traffic();
    EXPECT_EQ(traffic.fromPc, 5u + Request(0xFF, 0xC0, {0x03}).size());
    EXPECT_EQ(traffic.replyBytes, 8u);
}

// With an adapter's latency the reply still comes whole and right, only later; kept short so as not to wait.
TEST_F(RackSimulatorPty, AdapterLatencyDelaysButKeepsTheBytes) {
    simulator_ = std::make_unique<RackSimulator>(DefaultRack(), FaultOptions{}, true);
    simulator_->SetAdapterLatency(std::chrono::milliseconds(5));
    std::string error;
    ASSERT_TRUE(simulator_->Start(error)) << error;
    PcPort port(simulator_->PortPath());
    const auto start = Clock::now();
    SendEchoed(port, Request(0, kIdentityCommand));
    EXPECT_EQ(port.Read(8), Hex("02 FD 00 F3 77 00 0E 8A"));
    // Echo and reply fit one packet, which waits out the timer: never sooner than that.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(5));
}

TEST(RackSimulatorLink, NamesTheSlaveAndGoesAway) {
    char dir[] = "/tmp/kxrsim-test-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string link = std::string(dir) + "/rack";
    {
        RackSimulator simulator(DefaultRack());
        std::string error;
        ASSERT_TRUE(simulator.Start(error, link)) << error;
        EXPECT_EQ(simulator.PortPath(), link);
        EXPECT_EQ(std::filesystem::read_symlink(link).string().rfind("/dev/pts/", 0), 0u);
        PcPort port(link);
        ASSERT_TRUE(port.Write(Request(7, kIdentityCommand)));
        port.Read(5);
        const auto reply = port.ReadReply();
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->source, 7);
    }
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
    std::filesystem::remove_all(dir);
}

TEST(RackSimulatorStart, RefusesWhatCannotRun) {
    std::string error;
    RackDescription bad = DefaultRack();
    bad.modules[1].address = bad.modules[0].address;
    RackSimulator invalid(bad);
    EXPECT_FALSE(invalid.Start(error));
    EXPECT_NE(error.find("address used twice"), std::string::npos);

    RackSimulator twice(DefaultRack());
    ASSERT_TRUE(twice.Start(error)) << error;
    EXPECT_FALSE(twice.Start(error));

    char dir[] = "/tmp/kxrsim-test-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string occupied = std::string(dir) + "/file";
    std::ofstream(occupied) << "keep";
    RackSimulator blocked(DefaultRack());
    EXPECT_FALSE(blocked.Start(error, occupied));
    EXPECT_EQ(error, occupied + " exists and is not a symbolic link");
    EXPECT_TRUE(std::filesystem::is_regular_file(occupied));
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace kelvane::sim
