#pragma once

// 127.0.0.1, where whatever stands in for a serial server on this machine listens: a server started for a
// benchmark, or a test's own.

#include <cstdint>
#include <netinet/in.h>

namespace kelvane {

// 127.0.0.1 at `port` (0: any port the system chooses).
sockaddr_in LoopbackAddress(std::uint16_t port);

// A port of 127.0.0.1 that nothing listens on now: bound, read back and given up; 0 when there is none.
std::uint16_t FreeLoopbackPort();

// Whether something on 127.0.0.1 accepts a connection at `port`.
bool ListeningOnLoopback(std::uint16_t port);

}  // namespace kelvane
