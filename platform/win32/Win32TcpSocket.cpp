#include "platform/TcpSocket.h"

#include "platform/HostLookup.h"

#include <algorithm>

namespace kelvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kSendWait{1000};

// Winsock is started once for the program's life, on the first connection.
bool WinsockStarted() {
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

enum class Wait { Ready, TimedOut, Failed };

// select() rather than WSAPoll, which does not report a refused connection on older Windows.
Wait WaitFor(SOCKET s, bool write, steady_clock::time_point deadline) {
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
    if (n == 0) return Wait::TimedOut;
    if (n < 0 || FD_ISSET(s, &failed)) return Wait::Failed;
    return Wait::Ready;
}

// As WaitFor, in slices with the hook's turn between them when there is one.
Wait WaitGivingTurns(SOCKET s, bool write, steady_clock::time_point deadline, WaitHook* hook) {
    if (hook == nullptr) return WaitFor(s, write, deadline);
    for (;;) {
        const Wait w = WaitFor(s, write, std::min(deadline, steady_clock::now() + kWaitHookSlice));
        if (w != Wait::TimedOut || steady_clock::now() >= deadline) return w;
        hook->WhileWaiting();
    }
}

SOCKET ConnectTo(const addrinfo& address, steady_clock::time_point deadline, int& error, WaitHook* hook) {
    SOCKET s = socket(address.ai_family, address.ai_socktype, address.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = WSAGetLastError();
        return INVALID_SOCKET;
    }
    const auto fail = [&s, &error](int reason) {
        closesocket(s);
        error = reason;
        return INVALID_SOCKET;
    };
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) return fail(WSAGetLastError());
    if (connect(s, address.ai_addr, static_cast<int>(address.ai_addrlen)) != 0) {
        if (WSAGetLastError() != WSAEWOULDBLOCK) return fail(WSAGetLastError());
        const Wait w = WaitGivingTurns(s, true, deadline, hook);
        if (w == Wait::TimedOut) return fail(WSAETIMEDOUT);
        int soError = 0;
        int length = sizeof soError;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
        if (w == Wait::Failed || soError != 0) return fail(soError != 0 ? soError : WSAECONNREFUSED);
    }
    // Frames are small and a reply waits for each: no coalescing of writes.
    const BOOL on = TRUE;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
    return s;
}

}  // namespace

std::unique_ptr<TcpSocket> TcpSocket::Connect(const std::string& host, std::uint16_t port, milliseconds bound,
                                              int* error, WaitHook* hook) {
    const auto deadline = steady_clock::now() + bound;
    if (!WinsockStarted()) {
        if (error != nullptr) *error = WSASYSNOTREADY;
        return nullptr;
    }
    const HostLookup lookup = LookUpHost(host, port, bound, hook);
    int reason = lookup.timedOut ? WSAETIMEDOUT : kHostNotFound;
    for (const addrinfo* a = lookup.addresses.get(); a != nullptr; a = a->ai_next) {
        const SOCKET s = ConnectTo(*a, deadline, reason, hook);
        if (s != INVALID_SOCKET) {
            if (error != nullptr) *error = 0;
            return std::unique_ptr<TcpSocket>(new TcpSocket(static_cast<std::intptr_t>(s)));
        }
        if (steady_clock::now() >= deadline) break;
    }
    if (error != nullptr) *error = reason;
    return nullptr;
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

TcpSocket::~TcpSocket() { closesocket(static_cast<SOCKET>(handle_)); }

bool TcpSocket::Send(std::span<const std::uint8_t> bytes) {
    if (closed_) return false;
    const auto s = static_cast<SOCKET>(handle_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const int chunk = static_cast<int>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        const int n = send(s, reinterpret_cast<const char*>(bytes.data() + done), chunk, 0);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) {
            const Wait w = WaitFor(s, true, steady_clock::now() + kSendWait);
            if (w == Wait::TimedOut) return false;
            if (w == Wait::Failed) {
                Lose();
                return false;
            }
        } else {
            Lose();
            return false;
        }
    }
    return true;
}

ReadResult TcpSocket::Receive(std::span<std::uint8_t> into, milliseconds wait) {
    if (closed_) return {0, ReadStatus::HungUp};
    if (into.empty()) return {0, ReadStatus::TimedOut};
    const auto s = static_cast<SOCKET>(handle_);
    const Wait w = WaitFor(s, false, steady_clock::now() + wait);
    if (w == Wait::TimedOut) return {0, ReadStatus::TimedOut};
    if (w == Wait::Failed) return Lose();
    const int want = static_cast<int>(std::min<std::size_t>(into.size(), 1 << 20));
    const int n = recv(s, reinterpret_cast<char*>(into.data()), want, 0);
    if (n > 0) return {static_cast<std::size_t>(n), ReadStatus::Received};
    if (n == SOCKET_ERROR && WSAGetLastError() == WSAEWOULDBLOCK) return {0, ReadStatus::TimedOut};
    return Lose();  // 0: the server closed the connection; otherwise it was reset
}

ReadResult TcpSocket::Lose() {
    closed_ = true;
    return {0, ReadStatus::HungUp};
}

}  // namespace kelvane
