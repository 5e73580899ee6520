// Network ports against servers of our own making on 127.0.0.1: a fake RFC 2217 server that checks every byte
// of the negotiation, and plain sockets that close, reset or never answer.

#include "link/Xmit.h"
#include "platform/EntryPorts.h"
#include "platform/NetworkPort.h"
#include "platform/SystemClock.h"

#include "platform/VirtualClock.h"
#include "tests/support/LocalListener.h"
#include "tests/support/ScriptedPort.h"
#include "tests/support/TelnetBytes.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <array>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace kelvane {
namespace {

using namespace std::chrono_literals;
using test::Bytes;
using test::Listener;
using namespace test::telnet;

// Exactly `count` bytes from the client, or fewer when it stops sending for two seconds.
Bytes Receive(int fd, std::size_t count) {
    Bytes got;
    while (got.size() < count) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 2000) != 1) break;
        std::uint8_t buffer[256];
        const ssize_t n = recv(fd, buffer, std::min(sizeof buffer, count - got.size()), 0);
        if (n <= 0) break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

void Send(int fd, const Bytes& bytes) {
    ASSERT_EQ(send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
}

PortEntry Entry(const std::string& kind, std::uint16_t port) {
    return ParsePortEntry(kind + ":127.0.0.1:" + std::to_string(port));
}

TEST(NetworkPort, Rfc2217NegotiationAndIacEscapingAgainstAServerThatChecksThem) {
    Listener listener;
    Bytes fromClient;
    Bytes dataSeen;
    std::thread server([&] {
        const int fd = listener.Accept();
        ASSERT_GE(fd, 0);
        fromClient = Receive(fd, 9);  // the client's offers
        Send(fd, {IAC, DO, 0, IAC, WILL, 0, IAC, DO, COMPORT});
        const Bytes got = Receive(fd, LineSettings().size());
        fromClient.insert(fromClient.end(), got.begin(), got.end());
        // A notification in the middle of the answers, as servers send them unasked.
        Send(fd, Joined({ComPortSetting(101, {0x00, 0x01, 0xC2, 0x00}), ComPortSetting(102, {8}),
                         ComPortSetting(107, {0x30}), ComPortSetting(103, {1}), ComPortSetting(104, {1}),
                         ComPortSetting(105, {1})}));
        // A frame holding 0xFF goes out with it doubled; the answer comes back with it doubled and a command
        // in the middle.
        dataSeen = Receive(fd, 6);
        Send(fd, {0x02, IAC, IAC, 0x03, IAC, 0xF1, IAC, IAC});
        Receive(fd, 1);  // until the client closes
        ::close(fd);
    });
    OpenFailure failure;
    failure.error = -1;
    auto port = NetworkPort::Open(Entry("rfc2217", listener.Port()), failure);
    ASSERT_NE(port, nullptr) << failure.error;
    EXPECT_EQ(failure.error, 0);
    ASSERT_TRUE(port->Write(Bytes{0x02, 0xFF, 0x03, 0xFF}));
    Bytes read;
    for (int k = 0; k < 50 && read.size() < 4; ++k) {
        std::uint8_t buffer[16];
        const ReadResult got = port->Read(buffer, 100ms);
        read.insert(read.end(), buffer, buffer + got.count);
    }
    EXPECT_EQ(read, (Bytes{0x02, 0xFF, 0x03, 0xFF}));
    port.reset();
    server.join();
    EXPECT_EQ(fromClient, Joined({{IAC, WILL, 0, IAC, DO, 0, IAC, WILL, COMPORT}, LineSettings()}));
    EXPECT_EQ(dataSeen, (Bytes{0x02, 0xFF, 0xFF, 0x03, 0xFF, 0xFF}));
}

TEST(NetworkPort, AServerThatSetsAnotherSpeedOrNeverAnswersIsNotAPort) {
    Listener listener;
    std::thread server([&] {
        const int wrong = listener.Accept();
        Receive(wrong, 9);
        Send(wrong, Joined({{IAC, DO, COMPORT}, ComPortSetting(101, {0x00, 0x00, 0x25, 0x80})}));
        const int silent = listener.Accept();
        // Says nothing back, and holds the connection until the client gives up and closes it.
        for (std::uint8_t byte = 0;
             poll(std::array{pollfd{silent, POLLIN, 0}}.data(), 1, 10'000) == 1 && recv(silent, &byte, 1, 0) == 1;) {
        }
        ::close(wrong);
        ::close(silent);
    });
    OpenFailure failure;
    EXPECT_EQ(NetworkPort::Open(Entry("rfc2217", listener.Port()), failure), nullptr);
    EXPECT_EQ(failure.error, EPROTO);
    EXPECT_EQ(failure.problem, OpenProblem::SettingsRefused);
    EXPECT_NE(failure.detail.find("baud rate to 9600"), std::string::npos) << failure.detail;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(NetworkPort::Open(Entry("rfc2217", listener.Port()), failure), nullptr);
    EXPECT_EQ(failure.error, ETIMEDOUT);
    EXPECT_EQ(failure.problem, OpenProblem::TimedOut);
    // The bound is two seconds; a loaded machine gets generous room, a missing bound would hang.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    server.join();
}

TEST(NetworkPort, AConnectionClosedOrRefusedIsAHungUpLine) {
    Listener listener;
    std::thread server([&] {
        const int fd = listener.Accept();
        Receive(fd, 3);
        ::close(fd);
    });
    OpenFailure failure;
    auto port =
        NetworkPort::Open(ParsePortEntry("tcp:127.0.0.1:" + std::to_string(listener.Port()) + "?latency=30"), failure);
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->ExtraLatency(), 30ms);
    EXPECT_TRUE(port->Write(Bytes{1, 2, 3}));
    server.join();
    std::uint8_t buffer[8];
    EXPECT_EQ(port->Read(buffer, 5000ms).status, ReadStatus::HungUp);
    EXPECT_TRUE(port->HungUp());
    EXPECT_FALSE(port->Write(Bytes{4}));

    // Nobody listens any more: refused at once.
    const std::uint16_t number = listener.Port();
    listener.Close();
    EXPECT_EQ(NetworkPort::Open(Entry("tcp", number), failure), nullptr);
    EXPECT_EQ(failure.error, ECONNREFUSED);
    EXPECT_EQ(failure.problem, OpenProblem::Refused);
}

// The link over a raw connection: a server that goes away in the middle of a request fails it at once, without
// tries, and the link is lost; once the server listens again the search finds the rack.
TEST(NetworkPort, TheLinkLosesAServerAtOnceAndFindsItAgain) {
    auto listener = std::make_unique<Listener>();
    const std::uint16_t number = listener->Port();
    const auto answerProbe = [](int fd) {
        const Bytes probe = Receive(fd, 5);
        Send(fd, Joined({probe, test::ReplyFrame(0xF0, {0x77, 0x00, 0x0E})}));
    };
    std::thread server([&] {
        const int fd = listener->Accept();
        answerProbe(fd);
        Receive(fd, 5);  // the next request: no echo, no answer, the server goes
        ::close(fd);
    });
    EntryPortOpener ports({"tcp:127.0.0.1:" + std::to_string(number)}, nullptr);
    SystemClock clock;
    CXmit link(ports, clock);
    ASSERT_TRUE(link.FindPort());
    EXPECT_EQ(link.PortName(), "tcp:127.0.0.1:" + std::to_string(number));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(link.XmitRequest({}, 0x03, 0x40, 10000));  // three tries of 100 s had the loss gone unseen
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    EXPECT_EQ(link.LastFailure(), LinkFailure::HungUp);
    EXPECT_TRUE(link.LinkLost());
    server.join();

    link.ClosePort();
    listener.reset();
    EXPECT_FALSE(link.FindPort());
    // The server is back on the same port.
    Listener again(number);
    std::thread back([&] { answerProbe(again.Accept()); });
    EXPECT_TRUE(link.FindPort());
    EXPECT_FALSE(link.LinkLost());
    back.join();
}

// Entries come first and keep their numbers; the machine's own ports follow them; a device entry's latency
// reaches the link through the port.
// A server that gives its device to someone else says so and hangs up, as ser2net does; the search keeps its
// words as the reason, and counts the port as busy. A server that is not there at all is named for what it is.
TEST(NetworkPort, TheSearchKeepsEachServersReason) {
    constexpr const char* kBanner = "Port's device already in use\r\n";
    Listener listener;
    const std::uint16_t closed = Listener().Port();  // bound, then gone: refused
    std::thread server([&] {
        for (int k = 0; k < 2; ++k) {
            const int fd = listener.Accept();
            if (fd < 0) return;
            send(fd, kBanner, std::strlen(kBanner), MSG_NOSIGNAL);
            ::close(fd);
        }
    });
    const std::string here = "127.0.0.1:" + std::to_string(listener.Port());
    const std::vector<std::string> entries = {"tcp:" + here, "rfc2217:" + here,
                                              "tcp:127.0.0.1:" + std::to_string(closed),
                                              "tcp:no-such-host.invalid:2000", "tcp:127.0.0.1"};
    EntryPortOpener ports(entries, nullptr);
    SystemClock clock;
    CXmit link(ports, clock);
    EXPECT_FALSE(link.FindPort());
    server.join();
    EXPECT_EQ(link.LastFailure(), LinkFailure::Busy);
    EXPECT_EQ(link.BusyPorts(), (std::vector<std::string>{"tcp:" + here, "rfc2217:" + here}));
    const std::vector<std::pair<OpenProblem, std::string>> expected = {
        {OpenProblem::ServerInUse, "Port's device already in use"},
        {OpenProblem::ServerInUse, "Port's device already in use"},
        {OpenProblem::Refused, ""},
        {OpenProblem::UnknownHost, ""},
        {OpenProblem::BadEntry, "no port number after the host"},
    };
    ASSERT_EQ(link.SearchFailures().size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(entries[k]);
        EXPECT_EQ(link.SearchFailures()[k].device, entries[k]);
        EXPECT_EQ(link.SearchFailures()[k].problem, expected[k].first);
        EXPECT_EQ(link.SearchFailures()[k].detail, expected[k].second);
    }
}

// A server that takes the connection and never answers the negotiation: the open waits its whole bound, and the
// waiting party is given its turn all along.
TEST(NetworkPort, AnOpenThatWaitsGivesItsWaitHookTurns) {
    struct Counting final : WaitHook {
        void WhileWaiting() override { ++turns; }
        int turns = 0;
    } hook;
    Listener silent;
    OpenFailure failure;
    EXPECT_EQ(NetworkPort::Open(Entry("rfc2217", silent.Port()), failure, &hook), nullptr);
    EXPECT_EQ(failure.problem, OpenProblem::TimedOut);
    // Two seconds in slices of ten milliseconds; a loaded machine gets room, an open without turns gives none.
    EXPECT_GT(hook.turns, 50);
}

TEST(EntryPortOpener, EntriesFirstThenTheMachinesPorts) {
    VirtualClock clock;
    auto local = std::make_unique<test::ScriptedPortOpener>(clock);
    local->Install(0, {});
    test::ScriptedPortOpener* machine = local.get();
    std::vector<std::string> devicesOpened;
    EntryPortOpener ports(
        {"tcp:127.0.0.1:9?latency=40", "/dev/ttyUSB7?latency=25", "tcp:nowhere"},
        [&](const std::string& device, OpenFailure&) -> std::unique_ptr<SerialPort> {
            devicesOpened.push_back(device);
            return std::make_unique<test::ScriptedPort>(clock);
        },
        std::move(local));
    EXPECT_EQ(ports.Describe(0), "tcp:127.0.0.1:9");
    EXPECT_EQ(ports.Describe(1), "/dev/ttyUSB7");
    EXPECT_EQ(ports.Describe(2), "tcp:nowhere");
    EXPECT_EQ(ports.Describe(3), "COM0");

    const auto device = ports.Open(1);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->ExtraLatency(), 25ms);
    EXPECT_EQ(devicesOpened, std::vector<std::string>{"/dev/ttyUSB7"});
    EXPECT_EQ(ports.Open(2), nullptr);  // an entry that cannot be read is never tried
    EXPECT_EQ(ports.LastOpenFailure().device, "tcp:nowhere");
    EXPECT_NE(ports.Open(3), nullptr);
    EXPECT_EQ(machine->opened, std::vector<int>{0});
    EXPECT_EQ(ports.Open(4), nullptr);
}

}  // namespace
}  // namespace kelvane
