#pragma once

#include "platform/SerialPort.h"
#include "platform/VirtualClock.h"

#include <deque>
#include <utility>

namespace kelvane::test {

// The receiving side of a test port on the virtual clock: bytes queued with the tick at which they reach the
// port, read the way a real port reads them. A read takes every byte already due; with none due it waits, which
// moves the clock to the next arrival or to the end of the wait, whichever comes first.
class VirtualLine {
public:
    explicit VirtualLine(VirtualClock& clock) : clock_(clock) {}

    void Arrive(std::span<const std::uint8_t> bytes, std::uint64_t delayMs = 0);
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait);
    bool Empty() const { return incoming_.empty(); }

private:
    std::size_t TakeDue(std::span<std::uint8_t> into);

    VirtualClock& clock_;
    std::deque<std::pair<std::uint64_t, std::uint8_t>> incoming_;
};

// A test port whose far end answers on a VirtualLine: reads take what has arrived, and a port's Write puts the
// echo and the far end's answer on `line`.
class LinePort : public SerialPort {
public:
    explicit LinePort(VirtualClock& clock) : line(clock) {}
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        return line.Read(into, wait);
    }

protected:
    VirtualLine line;
};

}  // namespace kelvane::test
