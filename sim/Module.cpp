#include "sim/Module.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kIdentityMark = 0x77;  // 'w'
constexpr std::uint8_t kActiveUnit = 0x00;
constexpr std::uint8_t kInactiveUnit = 0xFF;

}  // namespace

Reply Module::Handle(const Request& request) {
    if (!description_.active) {
        // A unit that failed its start-up still says who it is, and nothing else.
        return request.Command() == kIdentityCommand ? Identity() : Refuse();
    }
    switch (request.Command()) {
        case kIdentityCommand:
            return Identity();
        case kReadConfigCommand:
            return Accept(description_.config);
        case kWriteCommand:
            return WriteConfig(request);
        case kRestartCommand:
            ++restarts_;
            return Accept();
        default:
            return Refuse();
    }
}

Reply Module::Accept(std::vector<std::uint8_t> payload) const {
    return Reply{description_.address, true, std::move(payload)};
}

Reply Module::Refuse() const {
    return Reply{description_.address, false, {}};
}

Reply Module::Identity() const {
    return Accept({kIdentityMark, description_.active ? kActiveUnit : kInactiveUnit, description_.version});
}

Reply Module::WriteConfig(const Request& request) {
    if (request.payload.size() > kMaxConfigLength) return Refuse();
    description_.config = request.payload;
    ++configWrites_;
    return Accept();
}

}  // namespace kelvane::sim
