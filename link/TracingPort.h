#pragma once

#include "link/FrameSplitter.h"
#include "link/LineTrace.h"
#include "platform/SerialPort.h"

#include <memory>

namespace kelvane {

// A serial port that records its traffic in a LineTrace on the way through: the frames written, and the reply
// frames read. The echo of the half-duplex bus (our own frames coming back) is not recorded.
class TracingPort final : public SerialPort {
public:
    TracingPort(std::unique_ptr<SerialPort> port, LineTrace& trace) : port_(std::move(port)), trace_(trace) {}

    bool Write(std::span<const std::uint8_t> bytes) override;
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override;
    ReadResult ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                             std::chrono::milliseconds wait) override;
    bool HungUp() const override { return port_->HungUp(); }
    std::chrono::milliseconds ExtraLatency() const override { return port_->ExtraLatency(); }
    std::string PartingWords() const override { return port_->PartingWords(); }

private:
    // Traces what a read placed in `into` and hands its result on.
    ReadResult Received(std::span<const std::uint8_t> into, ReadResult result);

    std::unique_ptr<SerialPort> port_;
    LineTrace& trace_;
    FrameSplitter written_{FrameSplitter::Header::Raw};
    FrameSplitter read_{FrameSplitter::Header::Stuffed};
};

// Opens ports through another opener and hands them out traced.
class TracingPortOpener final : public PortOpener {
public:
    TracingPortOpener(PortOpener& ports, LineTrace& trace) : ports_(ports), trace_(trace) {}

    void BeginSearch() override { ports_.BeginSearch(); }
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    OpenFailure LastOpenFailure() const override { return ports_.LastOpenFailure(); }
    std::string Describe(std::uint8_t number) const override { return ports_.Describe(number); }
    std::string RackName(std::uint8_t number) const override { return ports_.RackName(number); }
    std::size_t EntryCount() const override { return ports_.EntryCount(); }
    void SetWaitHook(WaitHook* hook) override { ports_.SetWaitHook(hook); }

private:
    PortOpener& ports_;
    LineTrace& trace_;
};

}  // namespace kelvane
