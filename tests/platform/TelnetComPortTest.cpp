#include "platform/TelnetComPort.h"

#include "tests/support/TelnetBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace kelvane {
namespace {

using namespace test::telnet;
using T = TelnetComPort;

// What ser2net 4 sends as a Telnet client connects to its RFC 2217 port.
const Bytes kSer2netGreeting = {IAC,  WILL, SGA, IAC,    DO,  SGA,  IAC,    WILL, ECHO, IAC,    DONT,
                                ECHO, IAC,  DO,  BINARY, IAC, WILL, BINARY, IAC,  DO,   COMPORT};

Bytes Feed(T& telnet, const Bytes& from) {
    Bytes data(from.size());
    data.resize(telnet.Receive(from, data));
    return data;
}

T ReadySession() {
    T telnet;
    telnet.Greeting();
    Feed(telnet, kSer2netGreeting);
    Feed(telnet, LineSettings(true));
    telnet.TakeReplies();
    return telnet;
}

TEST(TelnetComPort, NegotiatesTheLineWithSer2netsOpeningAndRefusesEchoPolitely) {
    T telnet;
    EXPECT_EQ(telnet.Greeting(), (Bytes{IAC, WILL, BINARY, IAC, DO, BINARY, IAC, WILL, COMPORT}));
    EXPECT_EQ(Feed(telnet, kSer2netGreeting), Bytes{});
    EXPECT_EQ(telnet.GetState(), T::State::Negotiating);
    // SGA is agreed both ways, the server's echo is declined, binary and the COM port were our own requests
    // (answered, so not acknowledged again); then the five line settings.
    EXPECT_EQ(telnet.TakeReplies(), Joined({{IAC, DO, SGA, IAC, WILL, SGA, IAC, DONT, ECHO}, LineSettings()}));

    // Four answers are not enough.
    const Bytes answers = LineSettings(true);
    const Bytes firstFour(answers.begin(), answers.end() - 7);
    Feed(telnet, firstFour);
    EXPECT_EQ(telnet.GetState(), T::State::Negotiating);
    Feed(telnet, Bytes(answers.end() - 7, answers.end()));
    EXPECT_EQ(telnet.GetState(), T::State::Ready);
    EXPECT_EQ(telnet.TakeReplies(), Bytes{});
}

TEST(TelnetComPort, OtherOptionsAreRefusedOnceEach) {
    T telnet = ReadySession();
    Feed(telnet, {IAC, DO, NAWS, IAC, WILL, NAWS, IAC, DO, NAWS, IAC, WILL, NAWS, IAC, WILL, COMPORT});
    EXPECT_EQ(telnet.TakeReplies(), (Bytes{IAC, WONT, NAWS, IAC, DONT, NAWS, IAC, DONT, COMPORT}));
    // Options already agreed are not acknowledged again, so a server cannot start a loop of answers.
    Feed(telnet, {IAC, DO, BINARY, IAC, WILL, BINARY, IAC, DO, COMPORT});
    EXPECT_EQ(telnet.TakeReplies(), Bytes{});
    EXPECT_EQ(telnet.GetState(), T::State::Ready);
}

TEST(TelnetComPort, IacIsDoubledOutAndUndoubledIn) {
    T telnet = ReadySession();
    Bytes out;
    telnet.Escape(Bytes{0x02, 0xFF, 0x0D, 0xFF, 0xFF, 0x00}, out);
    EXPECT_EQ(out, (Bytes{0x02, 0xFF, 0xFF, 0x0D, 0xFF, 0xFF, 0xFF, 0xFF, 0x00}));
    // Commands among the data are taken out, whatever they are.
    EXPECT_EQ(Feed(telnet, {0x02, IAC, IAC, 0x0D, 0x00, IAC, 0xF1, 0x41, IAC, IAC, IAC, IAC, IAC, 0xF9}),
              (Bytes{0x02, 0xFF, 0x0D, 0x00, 0x41, 0xFF, 0xFF}));
    // Cut anywhere, the same bytes come out.
    const Bytes wire = {0x10, IAC, IAC, IAC, SB, COMPORT, 107, 0x30, IAC, SE, 0x20, IAC, DO, SGA, 0xFF - 1};
    Bytes whole = Feed(telnet, wire);
    for (std::size_t cut = 1; cut < wire.size(); ++cut) {
        Bytes pieces = Feed(telnet, Bytes(wire.begin(), wire.begin() + static_cast<std::ptrdiff_t>(cut)));
        const Bytes rest = Feed(telnet, Bytes(wire.begin() + static_cast<std::ptrdiff_t>(cut), wire.end()));
        pieces.insert(pieces.end(), rest.begin(), rest.end());
        EXPECT_EQ(pieces, whole) << "cut at " << cut;
    }
    EXPECT_EQ(whole, (Bytes{0x10, 0xFF, 0x20, 0xFE}));
}

// A server that does not take binary transmission gets the line ends Telnet asks for: CR NUL.
TEST(TelnetComPort, WithoutBinaryACarriageReturnTravelsAsCrNul) {
    T telnet;
    telnet.Greeting();
    Feed(telnet, {IAC, DONT, BINARY, IAC, WONT, BINARY, IAC, DO, COMPORT});
    Feed(telnet, LineSettings(true));
    ASSERT_EQ(telnet.GetState(), T::State::Ready);
    Bytes out;
    telnet.Escape(Bytes{0x0D, 0x0A, 0x0D}, out);
    EXPECT_EQ(out, (Bytes{0x0D, 0x00, 0x0A, 0x0D, 0x00}));
    EXPECT_EQ(Feed(telnet, {0x0D, 0x00, 0x0D, 0x0A, 0x0D}), (Bytes{0x0D, 0x0D, 0x0A, 0x0D}));
    EXPECT_EQ(Feed(telnet, {0x00, 0x01}), Bytes{0x01});  // the NUL of a CR NUL cut in two
}

TEST(TelnetComPort, AServerThatSetsTheLineOtherwiseOrRefusesTheOptionIsRefused) {
    struct Case {
        Bytes from;
        const char* reason;
    };
    const Case cases[] = {
        {ComPortSetting(101, {0x00, 0x00, 0x25, 0x80}), "baud rate to 9600"},
        {ComPortSetting(101, {0x01, 0xC2, 0x00}), "baud rate"},
        {ComPortSetting(102, {7}), "data size to 7"},
        {ComPortSetting(103, {2}), "parity to 2"},
        {ComPortSetting(104, {2}), "stop bits to 2"},
        {ComPortSetting(105, {3}), "flow control to 3"},
        {ComPortSetting(105, {1, 1}), "flow control"},
        {{IAC, DONT, COMPORT}, "COM port option"},
    };
    for (const Case& c : cases) {
        T telnet;
        telnet.Greeting();
        Feed(telnet, {IAC, DO, COMPORT});
        Feed(telnet, c.from);
        EXPECT_EQ(telnet.GetState(), T::State::Refused) << c.reason;
        EXPECT_NE(telnet.Reason().find(c.reason), std::string::npos) << telnet.Reason();
    }
}

TEST(TelnetComPort, HostileSubnegotiationsAreBoundedAndEndCleanly) {
    T telnet = ReadySession();
    // Far longer than any subnegotiation kept, with the baud answer inside: read to its end and ignored.
    Bytes longOne = {IAC, SB, COMPORT, 101, 0x00, 0x00, 0x25, 0x80};
    longOne.insert(longOne.end(), 10'000, 0x41);
    longOne.insert(longOne.end(), {IAC, SE, 0x55});
    EXPECT_EQ(Feed(telnet, longOne), Bytes{0x55});
    EXPECT_EQ(telnet.GetState(), T::State::Ready);
    // A subnegotiation broken off by another command ends there; the command counts and data follows.
    EXPECT_EQ(Feed(telnet, {IAC, SB, COMPORT, 101, 0, IAC, DO, NAWS, 0x66}), Bytes{0x66});
    EXPECT_EQ(telnet.TakeReplies(), (Bytes{IAC, WONT, NAWS}));
    // Empty and one-byte subnegotiations, unknown codes, other options.
    EXPECT_EQ(Feed(telnet, {IAC, SB,  IAC, SE,  IAC, SB,   COMPORT, IAC, SE, IAC, SB,  COMPORT, 250,
                            1,   IAC, SE,  IAC, SB,  NAWS, 0,       80,  0,  24,  IAC, SE,      0x77}),
              Bytes{0x77});
    EXPECT_EQ(telnet.GetState(), T::State::Ready);

    // Random bytes: no crash, never more data than bytes given, replies bounded by what was given.
    std::mt19937 random(14);
    for (int round = 0; round < 2000; ++round) {
        T fresh;
        fresh.Greeting();
        Bytes noise(static_cast<std::size_t>(random() % 64));
        for (auto& b : noise) b = static_cast<std::uint8_t>(random() % 4 == 0 ? 0xFF : random() % 256);
        Bytes data(noise.size() / 2);  // smaller than the input: the rest must be dropped, not overflow
        const std::size_t n = fresh.Receive(noise, data);
        EXPECT_LE(n, data.size());
        EXPECT_LE(fresh.TakeReplies().size(), 3 * noise.size() + 5 * 10);
    }
}

}  // namespace
}  // namespace kelvane
