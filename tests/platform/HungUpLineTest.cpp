#include "link/Xmit.h"
#include "platform/SystemClock.h"
#include "platform/posix/PosixSerialPort.h"

#include "tests/platform/PseudoTerminal.h"
#include "tests/support/ScriptedPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sys/resource.h>
#include <thread>

namespace kelvane {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::PseudoTerminal;

// The real port, counted: a loop that keeps reading a dead line shows here.
class CountingPort final : public SerialPort {
public:
    explicit CountingPort(std::unique_ptr<SerialPort> port) : port_(std::move(port)) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        ++writes;
        return port_->Write(bytes);
    }
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        ++reads;
        return port_->Read(into, wait);
    }
    bool HungUp() const override { return port_->HungUp(); }
    std::size_t reads = 0;
    std::size_t writes = 0;

private:
    std::unique_ptr<SerialPort> port_;
};

class PtyOpener final : public PortOpener {
public:
    explicit PtyOpener(std::string path) : path_(std::move(path)) {}
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override {
        if (number != 0) return nullptr;
        auto port = std::make_unique<CountingPort>(PosixSerialPort::Open(path_));
        last = port.get();
        return port;
    }
    std::string Describe(std::uint8_t) const override { return path_; }
    CountingPort* last = nullptr;

private:
    std::string path_;
};

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

TEST(HungUpLine, MasterClosedMidRequestFailsItAtOnceWithoutSpinning) {
    PseudoTerminal pty;
    ASSERT_FALSE(pty.Path().empty());
    PtyOpener ports(pty.Path());
    SystemClock clock;
    CXmit link(ports, clock);

    // The far end: echoes the probe and answers it, then echoes the next request and goes away.
    std::thread farEnd([&] {
        const Bytes probe = pty.Receive(5);
        Bytes answer = probe;
        const Bytes reply = test::ReplyFrame(0xF0, {0x77, 0x00, 0x0E});
        answer.insert(answer.end(), reply.begin(), reply.end());
        pty.Send(answer);
        pty.Send(pty.Receive(5));
        std::this_thread::sleep_for(50ms);
        pty.CloseMaster();
    });
    ASSERT_TRUE(link.FindPort());
    ASSERT_NE(ports.last, nullptr);
    const std::size_t readsBefore = ports.last->reads;
    const std::size_t writesBefore = ports.last->writes;

    const double cpuBefore = CpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    // Three tries of 100 s each if the hang-up went unseen.
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x40, 10000));
    const auto wall = std::chrono::steady_clock::now() - start;
    const double cpu = CpuSeconds() - cpuBefore;
    farEnd.join();

    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
    EXPECT_TRUE(link.LinkLost());
    EXPECT_EQ(ports.last->writes - writesBefore, 1u);
    // Generous bounds: a loaded machine is slow, but a spinning loop would take 300 s or thousands of reads.
    EXPECT_LT(wall, 10s);
    EXPECT_LT(ports.last->reads - readsBefore, 20u);
    EXPECT_LT(cpu, 2.0);
}

}  // namespace
}  // namespace kelvane
