// The POSIX part of a connection to a serial server: non-blocking sockets waited on with poll().

#include "platform/TcpSocket.h"

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

int MillisecondsLeft(steady_clock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now());
    return static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, 1'000'000));
}

}  // namespace

const int TcpSocket::kTimedOut = ETIMEDOUT;

int TcpSocket::StartNetworking() { return 0; }

// Any event counts as ready: a closed or reset connection, or a refused one, is then told by the call that
// follows. Failed leaves poll's reason in errno.
SocketWait TcpSocket::WaitUntil(std::intptr_t handle, bool write, Deadline deadline) {
    for (;;) {
        pollfd p{static_cast<int>(handle), static_cast<short>(write ? POLLOUT : POLLIN), 0};
        const int ready = poll(&p, 1, MillisecondsLeft(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return SocketWait::Failed;
        return ready == 0 ? SocketWait::TimedOut : SocketWait::Ready;
    }
}

std::optional<std::intptr_t> TcpSocket::ConnectTo(const addrinfo& address, Deadline deadline, int& error,
                                                  WaitHook* hook) {
    const int fd = ::socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, address.ai_protocol);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    const auto fail = [fd, &error](int reason) {
        ::close(fd);
        error = reason;
        return std::nullopt;
    };
    if (::connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        if (errno != EINPROGRESS) return fail(errno);
        const SocketWait wait = WaitGivingTurns(fd, true, deadline, hook);
        if (wait == SocketWait::TimedOut) return fail(ETIMEDOUT);
        if (wait == SocketWait::Failed) return fail(errno);
        int soError = 0;
        socklen_t length = sizeof soError;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length) != 0) return fail(errno);
        if (soError != 0) return fail(soError);
    }
    // Frames are small and a reply waits for each: no coalescing of writes.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
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

std::optional<std::size_t> TcpSocket::SendSome(std::span<const std::uint8_t> bytes) {
    for (;;) {
        // MSG_NOSIGNAL: a server gone away is a failed write, not a SIGPIPE that ends the program.
        const ssize_t n = ::send(static_cast<int>(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return std::nullopt;
    }
}

std::optional<std::size_t> TcpSocket::ReceiveSome(std::span<std::uint8_t> into) {
    for (;;) {
        const ssize_t n = ::recv(static_cast<int>(handle_), into.data(), into.size(), 0);
        if (n > 0) return static_cast<std::size_t>(n);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
        return std::nullopt;  // 0: the server closed the connection; otherwise it was reset
    }
}

}  // namespace kelvane
