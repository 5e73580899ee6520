#pragma once

#include "platform/SerialPort.h"
#include "platform/WaitHook.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kelvane {

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
    explicit TcpSocket(std::intptr_t handle) : handle_(handle) {}
    ReadResult Lose();

    std::intptr_t handle_;
    bool closed_ = false;
};

}  // namespace kelvane
