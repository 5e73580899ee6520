#include "sim/Module.h"

namespace kelvane::sim {

// The identity reply: the mark, whether the unit started, its version.
constexpr std::uint8_t kIdentityMark = 0x77;  // 'w'
constexpr std::uint8_t kActiveUnit = 0x00;
constexpr std::uint8_t kInactiveUnit = 0xFF;

// The first byte of a firmware command says which step it is; a block carries its 24-bit offset after it.
constexpr std::uint8_t kFirmwareStart = 0x00;
constexpr std::uint8_t kFirmwareBlock = 0x01;
constexpr std::uint8_t kFirmwareWrite = 0x02;
constexpr std::uint8_t kFirmwareRestart = 0x03;
constexpr std::size_t kBlockHeader = 4;

Reply Module::Handle(const Request& request) {
    if (description_.active && request.destination != kBroadcastAddress) {
        if (std::optional<Reply> own = HandleOwn(request)) return *std::move(own);
    }
    Reply reply = HandleCommon(request);
    if (reply.accepted) AfterAccepted(request);
    return reply;
}

std::optional<Reply> Module::HandleOwn(const Request&) { return std::nullopt; }

void Module::AfterAccepted(const Request&) {}

Reply Module::HandleCommon(const Request& request) {
    if (IsRackRestart(request)) {
        // Every unit restarts, the inactive ones too, and wakes up with the firmware last written to it.
        if (const auto version = firmware_.Restart(description_.version)) description_.version = *version;
        return Accept();
    }
    if (!description_.active) {
        // A unit that failed its start-up still says who it is, and nothing else.
        return request.Command() == kIdentityCommand ? Identity() : Refuse();
    }
    switch (request.Command()) {
    case kIdentityCommand: return Identity();
    case kReadConfigCommand: return Accept(description_.config);
    case kWriteCommand: return WriteConfig(request);
    case kRestartCommand: ++restarts_; return Accept();
    case kFirmwareCommand: return HandleFirmware(request);
    default: return Refuse();
    }
}

Reply Module::Accept(std::vector<std::uint8_t> payload) const {
    return Reply{description_.address, true, std::move(payload)};
}

Reply Module::Refuse() const { return Reply{description_.address, false, {}}; }

Reply Module::Identity() const {
    return Accept({kIdentityMark, description_.active ? kActiveUnit : kInactiveUnit, description_.version});
}

Reply Module::WriteConfig(const Request& request) {
    if (request.payload.size() > kMaxConfigLength) return Refuse();
    description_.config = request.payload;
    ++configWrites_;
    return Accept();
}

bool Module::IsRackRestart(const Request& request) {
    return request.Command() == kFirmwareCommand && request.payload.size() == 1 &&
           request.payload[0] == kFirmwareRestart;
}

Reply Module::HandleFirmware(const Request& request) {
    if (request.payload.empty()) return Refuse();
    const std::span<const std::uint8_t> payload(request.payload);
    switch (payload[0]) {
    case kFirmwareStart: firmware_.Start(); return Accept();
    case kFirmwareBlock: {
        if (payload.size() < kBlockHeader) return Refuse();
        const std::uint32_t offset =
            static_cast<std::uint32_t>(payload[1]) << 16 | static_cast<std::uint32_t>(payload[2]) << 8 | payload[3];
        return firmware_.Block(offset, payload.subspan(kBlockHeader)) ? Accept() : Refuse();
    }
    case kFirmwareWrite: return firmware_.Commit() ? Accept() : Refuse();
    default: return Refuse();
    }
}

}  // namespace kelvane::sim
