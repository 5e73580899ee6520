#pragma once

#include "platform/PortEntry.h"
#include "platform/SerialPort.h"
#include "platform/TcpSocket.h"
#include "platform/TelnetComPort.h"

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

namespace kelvane {

// A rack's line reached through a serial server: a raw TCP stream, or Telnet with the COM port option, which
// sets the far line to 115200 8N1 at connection. A connection that is refused, reset or closed is a hung-up
// line.
class NetworkPort final : public SerialPort {
public:
    // How long a connection, with its look-up and its negotiation, may take.
    static constexpr std::chrono::milliseconds kConnectBound{2000};

    // The connected port, or null with the reason in `failure`: the system's error code, and what it means (the
    // server's words when it refused the line settings or said its device is in use). `hook` has its turn
    // while the connection and the negotiation wait.
    static std::unique_ptr<NetworkPort> Open(const PortEntry& entry, OpenFailure& failure, WaitHook* hook = nullptr);

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    bool HungUp() const override;
    std::chrono::milliseconds ExtraLatency() const override { return latency_; }
    std::string PartingWords() const override;

private:
    NetworkPort(std::unique_ptr<TcpSocket> socket, std::chrono::milliseconds latency)
        : socket_(std::move(socket)), latency_(latency) {}
    bool Negotiate(std::chrono::steady_clock::time_point deadline, WaitHook* hook);
    bool SendReplies();
    void Hear(std::span<const std::uint8_t> bytes);

    std::unique_ptr<TcpSocket> socket_;
    std::chrono::milliseconds latency_;
    std::optional<TelnetComPort> telnet_;  // none on a raw stream
    std::array<std::uint8_t, 4096> wire_{};
    std::vector<std::uint8_t> escaped_;
    // The first bytes the server sent, for its words if it then closes the connection (a server that gives the
    // device to someone else says so and hangs up); the rack's own bytes never matter there.
    std::array<std::uint8_t, 160> heard_{};
    std::size_t heardCount_ = 0;
};

}  // namespace kelvane
