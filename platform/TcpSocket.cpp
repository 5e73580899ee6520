// What a connection to a serial server does the same on every system: the walk over a host's addresses, a send
// that waits for room, a receive within its wait, a connection lost for good.

#include "platform/TcpSocket.h"

#include "platform/HostLookup.h"

#include <algorithm>

namespace kelvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// How long a send waits for a server that takes nothing before it gives up, keeping the connection.
constexpr milliseconds kSendWait{1000};

}  // namespace

std::unique_ptr<TcpSocket> TcpSocket::Connect(const std::string& host, std::uint16_t port, milliseconds bound,
                                              int* error, WaitHook* hook) {
    const auto deadline = steady_clock::now() + bound;
    int reason = StartNetworking();
    if (reason == 0) {
        const HostLookup lookup = LookUpHost(host, port, bound, hook);
        reason = lookup.timedOut ? kTimedOut : kHostNotFound;
        for (const addrinfo* a = lookup.addresses.get(); a != nullptr; a = a->ai_next) {
            if (const std::optional<std::intptr_t> handle = ConnectTo(*a, deadline, reason, hook)) {
                if (error != nullptr) *error = 0;
                return std::unique_ptr<TcpSocket>(new TcpSocket(*handle));
            }
            if (steady_clock::now() >= deadline) break;
        }
    }
    if (error != nullptr) *error = reason;
    return nullptr;
}

SocketWait TcpSocket::WaitGivingTurns(std::intptr_t handle, bool write, Deadline deadline, WaitHook* hook) {
    if (hook == nullptr) return WaitUntil(handle, write, deadline);
    for (;;) {
        const SocketWait wait = WaitUntil(handle, write, std::min(deadline, steady_clock::now() + kWaitHookSlice));
        if (wait != SocketWait::TimedOut || steady_clock::now() >= deadline) return wait;
        hook->WhileWaiting();
    }
}

bool TcpSocket::Send(std::span<const std::uint8_t> bytes) {
    for (std::size_t done = 0; !closed_ && done < bytes.size();) {
        const std::optional<std::size_t> sent = SendSome(bytes.subspan(done));
        if (!sent) {
            Lose();
        } else if (*sent > 0) {
            done += *sent;
        } else {
            const SocketWait wait = WaitUntil(handle_, true, steady_clock::now() + kSendWait);
            if (wait == SocketWait::TimedOut) return false;
            if (wait == SocketWait::Failed) Lose();
        }
    }
    return !closed_;
}

ReadResult TcpSocket::Receive(std::span<std::uint8_t> into, milliseconds wait) {
    if (closed_) return {0, ReadStatus::HungUp};
    if (into.empty()) return {0, ReadStatus::TimedOut};
    const SocketWait ready = WaitUntil(handle_, false, steady_clock::now() + wait);
    if (ready == SocketWait::TimedOut) return {0, ReadStatus::TimedOut};
    const std::optional<std::size_t> got = ready == SocketWait::Ready ? ReceiveSome(into) : std::nullopt;
    if (!got) return Lose();
    return {*got, *got > 0 ? ReadStatus::Received : ReadStatus::TimedOut};
}

ReadResult TcpSocket::Lose() {
    closed_ = true;
    return {0, ReadStatus::HungUp};
}

}  // namespace kelvane
