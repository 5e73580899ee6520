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

    // The connected port, or null with the reason in `error` (a system error code; EPROTO when the server
    // refused the line settings, with its words in `refusal`).
    static std::unique_ptr<NetworkPort> Open(const PortEntry& entry, int* error = nullptr,
                                             std::string* refusal = nullptr);

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    bool HungUp() const override;
    std::chrono::milliseconds ExtraLatency() const override { return latency_; }

private:
    NetworkPort(std::unique_ptr<TcpSocket> socket, std::chrono::milliseconds latency)
        : socket_(std::move(socket)), latency_(latency) {}
    bool Negotiate(std::chrono::steady_clock::time_point deadline);
    bool SendReplies();

    std::unique_ptr<TcpSocket> socket_;
    std::chrono::milliseconds latency_;
    std::optional<TelnetComPort> telnet_;  // none on a raw stream
    std::array<std::uint8_t, 4096> wire_{};
    std::vector<std::uint8_t> escaped_;
};

}  // namespace kelvane
