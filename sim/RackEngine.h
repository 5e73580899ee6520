#pragma once

#include "sim/Frame.h"
#include "sim/Module.h"
#include "sim/RackDescription.h"
#include "sim/RequestParser.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace kelvane::sim {

// One request that reached the rack and the reply it earned (none for a broadcast or an unknown address).
struct Exchange {
    Request request;
    std::optional<Reply> reply;
};

// The rack without a line: turns the bytes the PC writes into the replies of the controller and its modules.
// Not thread-safe; RackSimulator serialises access to it.
class RackEngine {
public:
    // The rack should have passed ValidateRack; of two modules at one address only the first answers.
    explicit RackEngine(const RackDescription& rack);

    // Feeds one byte the PC wrote; when it completes a valid request, the rack acts on it and the exchange is
    // returned. Frames with a bad checksum or length form are counted and otherwise ignored.
    std::optional<Exchange> Receive(std::uint8_t byte);

    // The reply frames that `bytes` earn, back to back.
    std::vector<std::uint8_t> Respond(std::span<const std::uint8_t> bytes);

    // Acts on one request: every unit hears a broadcast, and only the addressed unit answers otherwise.
    std::optional<Reply> Handle(const Request& request);

    // The unit at `address` (0 is the controller), or null.
    const Module* Find(std::uint8_t address) const;
    Module* Find(std::uint8_t address) { return FindUnit(address); }

    std::size_t RequestCount() const { return requestCount_; }
    std::size_t RejectedFrameCount() const { return rejectedFrames_; }
    // The latest valid requests, oldest first; at most kRequestLogCapacity are kept.
    const std::deque<Request>& RequestLog() const { return log_; }

    static constexpr std::size_t kRequestLogCapacity = 4096;

private:
    Module* FindUnit(std::uint8_t address);
    void Log(const Request& request);

    std::vector<std::unique_ptr<Module>> units_;  // the controller first, then the modules in slot order
    RequestParser parser_;
    std::deque<Request> log_;
    std::size_t requestCount_ = 0;
    std::size_t rejectedFrames_ = 0;
};

}  // namespace kelvane::sim
