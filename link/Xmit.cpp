#include "link/Xmit.h"

#include <algorithm>
#include <vector>

namespace kelvane {
namespace {

constexpr std::uint8_t kFirmwareBlock = 0x01;
constexpr int kProbeTimeout = 10;
constexpr int kFirmwareBlockTimeout = 300;
// A line that never stops talking must not hold the program in the discard loop.
constexpr std::size_t kMaxDiscardedBytes = 64 * 1024;

}  // namespace

bool CXmit::TakeLinkLost() {
    const bool lost = linkLost_;
    linkLost_ = false;
    return lost;
}

bool CXmit::XmitRequest(std::span<const std::uint8_t> payload, std::uint8_t address, std::uint8_t command,
                        int timeout) {
    if (!port_) return false;
    DiscardPendingInput();
    // A frame too large for the transmit buffer is the caller's mistake, not a silent rack: no tries.
    if (!encoder_.Encode(address, command, payload)) return false;

    bool ok = false;
    for (int attempt = 0; attempt < kTries && !ok; ++attempt) {
        WriteFrame();
        ok = address == kBroadcastAddress || ReceiveReply(timeout);
    }
    if (!ok) linkLost_ = true;
    return ok;
}

void CXmit::DiscardPendingInput() {
    for (std::size_t n = 0; n < kMaxDiscardedBytes && port_->ReadByte(); ++n) {
    }
}

void CXmit::WriteFrame() {
    const auto frame = encoder_.Bytes();
    for (std::size_t start = 0; start < frame.size(); start += kWriteChunk) {
        const auto chunk = frame.subspan(start, std::min(kWriteChunk, frame.size() - start));
        // A failed write leaves the rest unsent; the missing reply then costs this try.
        if (!port_->Write(chunk)) return;
        ReadBack(chunk.size());
    }
}

// The bus is half-duplex: our own bytes come back to us and must be taken off the line.
void CXmit::ReadBack(std::size_t count) {
    const std::uint64_t start = clock_.TickCount();
    std::size_t read = 0;
    while (read < count && clock_.TickCount() - start < kReadBackMs) {
        if (port_->ReadByte()) ++read;
        Waiting();
    }
}

bool CXmit::ReceiveReply(int timeout) {
    receiver_.Restart();
    if (!port_) return false;
    const std::uint64_t start = clock_.TickCount();
    const std::uint64_t limit = static_cast<std::uint64_t>(std::max(timeout, 0)) * 10;
    while (clock_.TickCount() - start < limit) {
        if (const auto byte = port_->ReadByte(); byte && receiver_.Feed(*byte)) return receiver_.Valid();
        Waiting();
    }
    return false;
}

bool CXmit::ProbeRack() {
    if (!XmitRequest({}, 0, kIdentityCommand, kProbeTimeout)) return false;
    const auto reply = Reply();
    return reply.size() >= 2 && reply[0] == kIdentityMark && reply[1] == 0;
}

bool CXmit::FindPort() {
    ClosePort();
    std::uint8_t n = portNumber_;
    do {
        port_ = ports_.Open(n);
        if (port_ && ProbeRack()) {
            portNumber_ = n;
            linkLost_ = false;
            return true;
        }
        ClosePort();
        ++n;
    } while (n != portNumber_);
    return false;
}

bool CXmit::WriteFirmwareBlock(std::uint32_t offset, std::span<const std::uint8_t> block, std::uint8_t address,
                               bool force) {
    const bool blank = std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; });
    if (!force && blank) return true;

    std::vector<std::uint8_t> payload;
    payload.reserve(block.size() + 4);
    payload.push_back(kFirmwareBlock);
    payload.push_back(static_cast<std::uint8_t>((offset >> 16) & 0xFF));
    payload.push_back(static_cast<std::uint8_t>((offset >> 8) & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(offset & 0xFF));
    payload.insert(payload.end(), block.begin(), block.end());
    return XmitRequest(payload, address, kFirmwareCommand, kFirmwareBlockTimeout);
}

}  // namespace kelvane
