#include "sim/RackEngine.h"

#include "sim/RackModules.h"

namespace kelvane::sim {

RackEngine::RackEngine(const RackDescription& rack) {
    units_.reserve(rack.modules.size() + 1);
    units_.push_back(std::make_unique<Controller>(rack));
    for (const ModuleDescription& m : rack.modules) units_.push_back(MakeModule(m));
}

std::optional<Exchange> RackEngine::Receive(std::uint8_t byte) {
    std::optional<ParsedFrame> frame = parser_.Feed(byte);
    if (!frame) return std::nullopt;
    if (frame->status != FrameStatus::Valid) {
        ++rejectedFrames_;
        return std::nullopt;
    }
    Log(frame->request);
    std::optional<Reply> reply = Handle(frame->request);
    return Exchange{std::move(frame->request), std::move(reply)};
}

std::vector<std::uint8_t> RackEngine::Respond(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint8_t> line;
    for (std::uint8_t b : bytes) {
        const std::optional<Exchange> exchange = Receive(b);
        if (!exchange || !exchange->reply) continue;
        const std::vector<std::uint8_t> frame = EncodeReply(*exchange->reply);
        line.insert(line.end(), frame.begin(), frame.end());
    }
    return line;
}

std::optional<Reply> RackEngine::Handle(const Request& request) {
    if (request.destination == kBroadcastAddress) {
        for (const auto& unit : units_) unit->Handle(request);
        return std::nullopt;
    }
    Module* unit = FindUnit(request.destination);
    if (unit == nullptr) return std::nullopt;
    return unit->Handle(request);
}

const Module* RackEngine::Find(std::uint8_t address) const {
    for (const auto& unit : units_) {
        if (unit->Address() == address) return unit.get();
    }
    return nullptr;
}

Module* RackEngine::FindUnit(std::uint8_t address) {
    return const_cast<Module*>(static_cast<const RackEngine*>(this)->Find(address));
}

void RackEngine::Log(const Request& request) {
    ++requestCount_;
    if (log_.size() == kRequestLogCapacity) log_.pop_front();
    log_.push_back(request);
}

}  // namespace kelvane::sim
