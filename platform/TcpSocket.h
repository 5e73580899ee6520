#pragma once

#include "platform/SerialPort.h"
#include "platform/WaitHook.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

struct addrinfo;

namespace kelvane {

// What a wait on a connection came to. Ready says only that the system has something to tell: the send, the
// receive or the connection's error that follows says what.
enum class SocketWait { Ready, TimedOut, Failed };

// One TCP connection to a serial server, non-blocking underneath, with the same read contract as a port.
// POSIX sockets on Linux, Winsock on Windows; nothing above it knows which.
class TcpSocket {
public:
    // The error of a name that does not resolve: no system uses a negative code.
    static constexpr int kHostNotFound = -1;

    // Connects to `host`:`port` within `bound` (name look-up included), or null with the system's error code in
    // `error` (errno, or a Winsock error, or kHostNotFound). `hook` is given its turn while it waits.
    static std::unique_ptr<TcpSocket> Connect(const std::string& host, std::uint16_t port,
                                              std::chrono::milliseconds bound, int* error, WaitHook* hook = nullptr);
    // What an error of Connect means to the operator.
    static OpenProblem ProblemOf(int error);
    ~TcpSocket();

    TcpSocket(const TcpSocket&) = delete;
    TcpSocket& operator=(const TcpSocket&) = delete;

    // Sends every byte; false when the connection failed or stayed full for a second.
    bool Send(std::span<const std::uint8_t> bytes);
    // As SerialPort::Read: HungUp once the far end closed or reset the connection.
    ReadResult Receive(std::span<std::uint8_t> into, std::chrono::milliseconds wait);
    bool Closed() const { return closed_; }

private:
    using Deadline = std::chrono::steady_clock::time_point;

    explicit TcpSocket(std::intptr_t handle) : handle_(handle) {}

    // Each system's own part, in posix/ or win32/.
    // The system's error for a connection or a look-up that ran out of time.
    static const int kTimedOut;
    // Readies the system's sockets: 0, or the error that says why there are none.
    static int StartNetworking();
    // One address within the deadline: the connected socket, or nothing with the system's error in `error`.
    static std::optional<std::intptr_t> ConnectTo(const addrinfo& address, Deadline deadline, int& error,
                                                  WaitHook* hook);
    // Until `handle` can take bytes (`write`) or has some to read, or the deadline.
    static SocketWait WaitUntil(std::intptr_t handle, bool write, Deadline deadline);
    // What one call of the system sends or receives: how many bytes, 0 when it would have to wait, nothing when
    // the connection failed or the server closed it.
    std::optional<std::size_t> SendSome(std::span<const std::uint8_t> bytes);
    std::optional<std::size_t> ReceiveSome(std::span<std::uint8_t> into);

    // As WaitUntil, in slices with the hook's turn between them when there is one.
    static SocketWait WaitGivingTurns(std::intptr_t handle, bool write, Deadline deadline, WaitHook* hook);
    ReadResult Lose();

    std::intptr_t handle_;
    bool closed_ = false;
};

}  // namespace kelvane
