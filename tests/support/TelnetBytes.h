#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

// The Telnet bytes of RFC 2217 (a serial line over the network), for tests that play either end of it.
namespace kelvane::test::telnet {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t IAC = 0xFF, WILL = 0xFB, WONT = 0xFC, DO = 0xFD, DONT = 0xFE, SB = 0xFA, SE = 0xF0;
constexpr std::uint8_t BINARY = 0, ECHO = 1, SGA = 3, NAWS = 31, COMPORT = 44;

inline Bytes Joined(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// One COM port subnegotiation: a setting the client asks for, or (its code plus 100) the server's answer.
inline Bytes ComPortSetting(std::uint8_t code, const Bytes& value) {
    return Joined({{IAC, SB, COMPORT, code}, value, {IAC, SE}});
}

// The line the program asks for, in its order: 115200 baud, 8 data bits, no parity, one stop bit, no flow
// control. With `answer`, a server's agreement to each.
inline Bytes LineSettings(bool answer = false) {
    const std::uint8_t base = answer ? 100 : 0;
    return Joined({ComPortSetting(base + 1, {0x00, 0x01, 0xC2, 0x00}), ComPortSetting(base + 2, {8}),
                   ComPortSetting(base + 3, {1}), ComPortSetting(base + 4, {1}), ComPortSetting(base + 5, {1})});
}

}  // namespace kelvane::test::telnet
