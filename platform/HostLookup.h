#pragma once

#include "platform/WaitHook.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif

namespace kelvane {

struct AddressListFree {
    void operator()(addrinfo* list) const { freeaddrinfo(list); }
};
using AddressList = std::unique_ptr<addrinfo, AddressListFree>;

struct HostLookup {
    AddressList addresses;  // null when the name did not resolve
    bool timedOut = false;  // the look-up did not end within its bound
};

// The stream addresses of `host`:`port`. An address written as digits is read at once; a name is looked up
// for at most `bound`, so that a name server that does not answer cannot hold the rack search (the look-up
// then finishes on its own and its answer is dropped).
// `hook`, when given, has its turn while the look-up runs.
HostLookup LookUpHost(const std::string& host, std::uint16_t port, std::chrono::milliseconds bound,
                      WaitHook* hook = nullptr);

}  // namespace kelvane
