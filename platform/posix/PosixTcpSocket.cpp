#include "platform/TcpSocket.h"

#include "platform/HostLookup.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kelvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

constexpr milliseconds kSendWait{1000};

int MillisecondsLeft(steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1'000'000));
}

// Waits for `events` on `fd` until the deadline; the revents, or 0 on time-out, or -1 on failure.
int WaitFor(int fd, short events, steady_clock::time_point deadline) {
    for (;;) {
        pollfd p{fd, events, 0};
        const int ready = poll(&p, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return -1;
        return ready == 0 ? 0 : p.revents;
    }
}

// As WaitFor, in slices with the hook's turn between them when there is one.
int WaitGivingTurns(int fd, short events, steady_clock::time_point deadline, WaitHook* hook) {
    if (hook == nullptr) return WaitFor(fd, events, deadline);
    for (;;) {
        const int revents = WaitFor(fd, events, std::min(deadline, steady_clock::now() + kWaitHookSlice));
        if (revents != 0 || steady_clock::now() >= deadline) return revents;
        hook->WhileWaiting();
    }
}

// One address within the deadline: the connected socket, or -1 with errno set.
int ConnectTo(const addrinfo& address, steady_clock::time_point deadline, WaitHook* hook) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) return -1;
    const auto fail = [fd](int reason) {
        ::close(fd);
        errno = reason;
        return -1;
    };
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) return fail(errno);
        const int revents = WaitGivingTurns(fd, POLLOUT, deadline, hook);
        if (revents == 0) return fail(ETIMEDOUT);
        if (revents < 0) return fail(errno);
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return fail(errno);
        if (error != 0) return fail(error);
    }
    // Frames are small and a reply waits for each: no coalescing of writes.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

}  // namespace

std::unique_ptr<TcpSocket> TcpSocket::Connect(const std::string& host, std::uint16_t port, milliseconds bound,
                                              int* error, WaitHook* hook) {
    const auto deadline = steady_clock::now() + bound;
    const HostLookup lookup = LookUpHost(host, port, bound, hook);
    int reason = lookup.timedOut ? ETIMEDOUT : kHostNotFound;
    for (const addrinfo* a = lookup.addresses.get(); a != nullptr; a = a->ai_next) {
        const int fd = ConnectTo(*a, deadline, hook);
        if (fd >= 0) {
            if (error != nullptr) *error = 0;
            return std::unique_ptr<TcpSocket>(new TcpSocket(fd));
        }
        reason = errno;
        if (steady_clock::now() >= deadline) break;
    }
    if (error != nullptr) *error = reason;
    return nullptr;
}

OpenProblem TcpSocket::ProblemOf(int error) {
    switch (error) {
    case kHostNotFound: return OpenProblem::UnknownHost;
    case ECONNREFUSED: return OpenProblem::Refused;
    case ETIMEDOUT: return OpenProblem::TimedOut;
    case EHOSTUNREACH:
    case ENETUNREACH: return OpenProblem::Unreachable;
    default: return OpenProblem::Unexplained;
    }
}

TcpSocket::~TcpSocket() { ::close(static_cast<int>(handle_)); }

bool TcpSocket::Send(std::span<const std::uint8_t> bytes) {
    if (closed_) return false;
    const int fd = static_cast<int>(handle_);
    std::size_t done = 0;
    while (done < bytes.size()) {
        // MSG_NOSIGNAL: a server gone away is a failed write, not a SIGPIPE that ends the program.
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int revents = WaitFor(fd, POLLOUT, steady_clock::now() + kSendWait);
            if (revents == 0) return false;
            if (revents < 0 || (revents & POLLOUT) == 0) {
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
    const int fd = static_cast<int>(handle_);
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
        const int revents = WaitFor(fd, POLLIN, deadline);
        if (revents == 0) return {0, ReadStatus::TimedOut};
        if (revents < 0 || (revents & (POLLIN | POLLHUP | POLLERR)) == 0) return Lose();
        const ssize_t n = ::recv(fd, into.data(), into.size(), 0);
        if (n > 0) return {static_cast<std::size_t>(n), ReadStatus::Received};
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return {0, ReadStatus::TimedOut};
        return Lose();  // 0: the server closed the connection; otherwise it was reset
    }
}

ReadResult TcpSocket::Lose() {
    closed_ = true;
    return {0, ReadStatus::HungUp};
}

}  // namespace kelvane
