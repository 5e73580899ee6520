#include "link/TracingPort.h"

#include "link/FrameFormat.h"

#include <algorithm>

namespace kelvane {

bool TracingPort::Write(std::span<const std::uint8_t> bytes) {
    const bool written = port_->Write(bytes);
    for (const std::uint8_t byte : bytes) {
        if (written_.Feed(byte)) trace_.Record(LineTrace::Direction::Outbound, written_.Frame());
    }
    return written;
}

ReadResult TracingPort::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    return Received(into, port_->Read(into, wait));
}

ReadResult TracingPort::ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                                      std::chrono::milliseconds wait) {
    return Received(into, port_->ReadExpecting(into, expected, wait));
}

ReadResult TracingPort::Received(std::span<const std::uint8_t> into, ReadResult result) {
    for (const std::uint8_t byte : into.first(std::min(result.count, into.size()))) {
        // A frame from the program's own address is its echo, not a reply.
        if (read_.Feed(byte) && read_.Source() != kPcAddress) {
            trace_.Record(LineTrace::Direction::Inbound, read_.Frame());
        }
    }
    return result;
}

std::unique_ptr<SerialPort> TracingPortOpener::Open(std::uint8_t number) {
    std::unique_ptr<SerialPort> port = ports_.Open(number);
    if (!port) return nullptr;
    return std::make_unique<TracingPort>(std::move(port), trace_);
}

}  // namespace kelvane
