#include "tests/support/ScriptedPort.h"

#include <algorithm>
#include <cerrno>

namespace kelvane::test {

bool ScriptedPort::Write(std::span<const std::uint8_t> bytes) {
    writes.emplace_back(bytes.begin(), bytes.end());
    if (failWrites || hungUp) return false;
    if (echo) Arrive(writes.back(), echoDelayMs);
    if (bytes.size() >= 3 && bytes[0] == 0x02 && bytes[2] == 0xFD) addressed_ = bytes[1];
    if (!reactions.empty()) {
        Reaction reaction = reactions.front();
        reactions.pop_front();
        reaction.bytes = FromAddressed(reaction.bytes);
        const std::size_t pace = reaction.bytesPerMs == 0 ? reaction.bytes.size() : reaction.bytesPerMs;
        for (std::size_t at = 0; at < reaction.bytes.size(); at += pace) {
            const std::size_t end = std::min(at + pace, reaction.bytes.size());
            Arrive(Bytes(reaction.bytes.begin() + static_cast<std::ptrdiff_t>(at),
                         reaction.bytes.begin() + static_cast<std::ptrdiff_t>(end)),
                   reaction.delayMs + at / pace);
        }
    }
    return true;
}

Bytes ScriptedPort::FromAddressed(const Bytes& bytes) const {
    const bool replyFromZero =
        bytes.size() >= 3 && bytes[0] == 0x02 && (bytes[1] == 0xFD || bytes[1] == 0xFF) && bytes[2] == 0x00;
    if (!replyFromZero || addressed_ == 0 || addressed_ == 0xFF) return bytes;
    Bytes frame{bytes[0], bytes[1], addressed_};
    if (addressed_ == 0x02) frame.push_back(0x02);
    frame.insert(frame.end(), bytes.begin() + 3, bytes.end());
    return frame;
}

void ScriptedPort::Arrive(const Bytes& bytes, std::uint64_t delayMs) { line_.Arrive(bytes, delayMs); }

ReadResult ScriptedPort::Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) {
    ++reads;
    if (hangUpAt && !hungUp) {
        const std::uint64_t now = clock_.TickCount();
        const std::uint64_t left = *hangUpAt > now ? *hangUpAt - now : 0;
        if (left <= static_cast<std::uint64_t>(wait.count())) {
            const ReadResult got = line_.Read(into, std::chrono::milliseconds(left));
            hungUp = clock_.TickCount() >= *hangUpAt;
            if (got.count > 0 || !hungUp) return got;
        }
    }
    if (hungUp) return {0, ReadStatus::HungUp};
    return line_.Read(into, wait);
}

void ScriptedPortOpener::Install(std::uint8_t number, std::deque<ScriptedPort::Reaction> reactions, bool echo) {
    plans_[number] = Plan{std::move(reactions), echo};
}

std::unique_ptr<SerialPort> ScriptedPortOpener::Open(std::uint8_t number) {
    opened.push_back(number);
    last = nullptr;
    const auto failure = failures_.find(number);
    if (failure != failures_.end()) {
        const bool busy = failure->second.problem == OpenProblem::Busy;
        lastFailure_ = {Describe(number), busy ? EBUSY : EIO, busy, failure->second.problem, failure->second.detail};
        return nullptr;
    }
    lastFailure_ = {Describe(number), ENOENT, false, OpenProblem::Absent, {}};
    const auto plan = plans_.find(number);
    if (plan == plans_.end()) return nullptr;
    lastFailure_ = {};
    auto port = std::make_unique<ScriptedPort>(clock_);
    port->reactions = plan->second.reactions;
    port->echo = plan->second.echo;
    last = port.get();
    return port;
}

Bytes ReplyFrame(std::uint8_t code, const Bytes& payload, std::uint8_t source, std::uint8_t destination) {
    Bytes body;
    body.push_back(static_cast<std::uint8_t>((code & 0xF0) | (payload.size() <= 3     ? payload.size()
                                                              : payload.size() <= 255 ? 4
                                                                                      : 8)));
    if (payload.size() > 255) body.push_back(static_cast<std::uint8_t>(payload.size() >> 8));
    if (payload.size() > 3) body.push_back(static_cast<std::uint8_t>(payload.size() & 0xFF));
    body.insert(body.end(), payload.begin(), payload.end());
    std::uint8_t sum = 0;
    for (const std::uint8_t b : body) sum ^= b;
    body.push_back(sum);

    // The source byte is doubled when it is 0x02: raw, it would read as the start of a new frame.
    Bytes frame{0x02, destination, source};
    if (source == 0x02) frame.push_back(source);
    for (const std::uint8_t b : body) {
        frame.push_back(b);
        if (b == 0x02) frame.push_back(b);
    }
    return frame;
}

}  // namespace kelvane::test
