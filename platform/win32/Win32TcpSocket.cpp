// The Windows part of a connection to a serial server: non-blocking Winsock sockets waited on with select().

#include "platform/TcpSocket.h"

#include "platform/HostLookup.h"

#include <algorithm>

namespace kelvane {
namespace {

using std::chrono::steady_clock;

// Winsock takes at most this much in one call, and counts in an int.
constexpr std::size_t kMostAtOnce = 1 << 20;

SOCKET AsSocket(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

}  // namespace

const int TcpSocket::kTimedOut = WSAETIMEDOUT;

// Winsock is started once for the program's life, on the first connection.
int TcpSocket::StartNetworking() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started ? 0 : WSASYSNOTREADY;
}

// select() rather than WSAPoll, which does not report a refused connection on older Windows.
SocketWait TcpSocket::WaitUntil(std::intptr_t handle, bool write, Deadline deadline) {
    const SOCKET s = AsSocket(handle);
    const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - steady_clock::now());
    const auto us = std::clamp<std::int64_t>(left.count(), 0, 1'000'000'000);
    timeval timeout{static_cast<long>(us / 1'000'000), static_cast<long>(us % 1'000'000)};
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    const int n = select(0, write ? nullptr : &ready, write ? &ready : nullptr, &failed, &timeout);
    if (n == 0) return SocketWait::TimedOut;
    if (n < 0 || FD_ISSET(s, &failed)) return SocketWait::Failed;
    return SocketWait::Ready;
}

std::optional<std::intptr_t> TcpSocket::ConnectTo(const addrinfo& address, Deadline deadline, int& error,
                                                  WaitHook* hook) {
    SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return std::nullopt;
    }
    const auto fail = [&s, &error](int reason) {
        closesocket(s);
        error = reason;
        return std::nullopt;
    };
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return fail(WSAGetLastError());
    if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return fail(WSAGetLastError());
        const SocketWait wait = WaitGivingTurns(static_cast<std::intptr_t>(s), true, deadline, hook);
        if (wait == SocketWait::TimedOut) return fail(WSAETIMEDOUT);
        int soError = 0;
        int length = sizeof soError;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        if (wait == SocketWait::Failed || soError != 0) return fail(soError != 0 ? soError : WSAECONNREFUSED);
    }
    // Frames are small and a reply waits for each: no coalescing of writes.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return static_cast<std::intptr_t>(s);
}

OpenProblem TcpSocket::ProblemOf(int error) {
    switch (error) {
    case kHostNotFound: return OpenProblem::UnknownHost;
    case WSAECONNREFUSED: return OpenProblem::Refused;
    case WSAETIMEDOUT: return OpenProblem::TimedOut;
    case WSAEHOSTUNREACH:
    case WSAENETUNREACH: return OpenProblem::Unreachable;
    default: return OpenProblem::Unexplained;
    }
}

TcpSocket::~TcpSocket() { closesocket(AsSocket(handle_)); }

std::optional<std::size_t> TcpSocket::SendSome(std::span<const std::uint8_t> bytes) {
    const int chunk = static_cast<int>(std::min(bytes.size(), kMostAtOnce));
    const int n = send(AsSocket(handle_), reinterpret_cast<const char*>(bytes.data()), chunk, 0);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return std::nullopt;
}

std::optional<std::size_t> TcpSocket::ReceiveSome(std::span<std::uint8_t> into) {
    const int want = static_cast<int>(std::min(into.size(), kMostAtOnce));
    const int n = recv(AsSocket(handle_), reinterpret_cast<char*>(into.data()), want, 0);
    if (n > 0) return static_cast<std::size_t>(n);
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return 0;
    return std::nullopt;  // 0: the server closed the connection; otherwise it was reset
}

}  // namespace kelvane
