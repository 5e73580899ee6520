#include "sim/CiLinkLayer.h"

#include <algorithm>

namespace kelvane::sim {
namespace {

// The T_DATA_LAST bodies among whole transport packets; the rest (status packets and the like) is passed over.
std::vector<ci::Bytes> DataBodies(std::span<const std::uint8_t> packets) {
    std::vector<ci::Bytes> bodies;
    std::size_t at = 0;
    while (at < packets.size()) {
        const std::uint8_t tag = packets[at++];
        const auto length = ci::TakeLengthField(packets, at);
        if (!length || *length == 0 || *length > packets.size() - at) break;
        if (tag == ci::kDataLastTag)
            bodies.emplace_back(packets.begin() + static_cast<std::ptrdiff_t>(at + 1),
                                packets.begin() + static_cast<std::ptrdiff_t>(at + *length));
        at += *length;
    }
    return bodies;
}

}  // namespace

void CiLinkLayer::Send(std::span<const std::uint8_t> transport) {
    for (std::size_t at = 0; at < transport.size(); at += kFragmentBytes) {
        const std::size_t size = std::min(kFragmentBytes, transport.size() - at);
        chunks_.push_back(ci::Chunk(transport.subspan(at, size), at + size < transport.size()));
    }
}

ci::Bytes CiLinkLayer::Read() {
    ci::Bytes reply;
    for (std::size_t n = 0; n < kChunksPerRead && !chunks_.empty(); ++n) {
        const ci::Bytes chunk = std::move(chunks_.front());
        chunks_.pop_front();
        reply.insert(reply.end(), chunk.begin(), chunk.end());
        if (++handedOver_ % kRepeatEvery == 0) {
            reply.insert(reply.end(), chunk.begin(), chunk.end());
            reply[reply.size() - chunk.size()] |= kSkipFlag;
        }
    }
    return reply;
}

std::vector<ci::Bytes> CiLinkLayer::Receive(std::span<const std::uint8_t> linkPacket) {
    if (linkPacket.size() < ci::kFragmentHeader) return {};
    const std::span<const std::uint8_t> fragment = linkPacket.subspan(ci::kFragmentHeader);
    if (incoming_.size() + fragment.size() > kReceiveCapacity) {
        incoming_.clear();
        return {};
    }
    incoming_.insert(incoming_.end(), fragment.begin(), fragment.end());
    if ((linkPacket[1] & ci::kMoreFragments) != 0) return {};
    std::vector<ci::Bytes> bodies = DataBodies(incoming_);
    incoming_.clear();
    return bodies;
}

void CiLinkLayer::Clear() {
    chunks_.clear();
    incoming_.clear();
    handedOver_ = 0;
}

}  // namespace kelvane::sim
