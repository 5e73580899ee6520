#include "link/Xmit.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace kelvane {
namespace {

// A line that never stops talking must not hold the program in the discard loop.
constexpr std::size_t kMaxDiscardedBytes = 64 * 1024;

// The time `bytes` take on the line at 115,200 baud (86.8 µs a byte), rounded up.
constexpr std::uint64_t LineTimeMs(std::uint64_t bytes) { return (bytes * 868 + 9999) / 10000; }

// The longest reply that fits ReplyData, every byte after the header doubled (the source byte too), and its
// time on the line.
constexpr std::uint64_t kLongestReplyBytes = 3 + 1 + 2 * (1 + 2 + kReplyDataSize + 1);
constexpr std::uint64_t kLongestReplyLineMs = LineTimeMs(kLongestReplyBytes);
static_assert(kLongestReplyLineMs == 1424);

// An echo back within this much beyond its own line time comes from a local line (a USB adapter holds bytes up
// to its 16 ms latency timer): its waits stay as they are. Beyond it, the line is far and its delay is added.
constexpr std::uint64_t kLocalEchoMs = 30;

}  // namespace

bool CXmit::TakeLinkLost() {
    const bool lost = linkLost_;
    linkLost_ = false;
    return lost;
}

bool CXmit::XmitRequest(std::span<const std::uint8_t> payload, std::uint8_t address, std::uint8_t command,
                        int timeout) {
    if (!port_) return Fail(LinkFailure::NoPort);
    DiscardPendingInput();
    // A frame too large for the transmit buffer is the caller's mistake, not a silent rack: no tries.
    if (!encoder_.Encode(address, command, payload)) return Fail(LinkFailure::TooLong);
    echo_.Expect(encoder_.Bytes());
    echoesSeen_ = 0;
    echoDueCount_ = 0;
    expectedSource_ = address;
    requestOpen_ = true;

    for (int attempt = 0; attempt < kTries; ++attempt) {
        const bool written = WriteFrame(address != kBroadcastAddress);
        // A line that is gone answers nothing ever again: no wait and no further tries, and the supervision
        // closes the port and searches anew.
        // Nobody answers a broadcast: it has gone when its frame went out whole.
        if (!port_->HungUp() && (address == kBroadcastAddress ? written : ReceiveReply(timeout))) {
            requestOpen_ = false;
            lastFailure_ = LinkFailure::None;
            return true;
        }
        if (port_->HungUp() || lastFailure_ == LinkFailure::HungUp) {
            lastFailure_ = LinkFailure::HungUp;
            break;
        }
        // The reply cannot come to a frame that did not go out whole; that is the reason, not the silence.
        if (!written) lastFailure_ = LinkFailure::WriteFailed;
        // Whatever came of the failed try is no answer to the next one.
        DiscardPendingInput();
    }
    requestOpen_ = false;
    linkLost_ = true;
    return false;
}

void CXmit::ClosePort() {
    port_.reset();
    // The next port may be another line altogether.
    lineEchoes_ = false;
    learnedDelayMs_ = 0;
}

bool CXmit::Fail(LinkFailure reason) {
    lastFailure_ = reason;
    return false;
}

// Takes what is pending without waiting: with nothing there, as before nearly every request, it costs nothing.
void CXmit::DiscardPendingInput() {
    std::size_t discarded = 0;
    while (discarded < kMaxDiscardedBytes) {
        const ReadResult got = port_->Read(readBuffer_, std::chrono::milliseconds(0));
        if (got.status != ReadStatus::Received) return;
        discarded += got.count;
    }
}

bool CXmit::WriteFrame(bool replyFollows) {
    carriedCount_ = 0;
    unechoedCount_ = 0;
    const auto frame = encoder_.Bytes();
    for (std::size_t start = 0; start < frame.size(); start += kWriteChunk) {
        const auto chunk = frame.subspan(start, std::min(kWriteChunk, frame.size() - start));
        // A failed write leaves the rest unsent; the missing reply then costs this try.
        if (!port_->Write(chunk)) return false;
        const bool last = start + chunk.size() == frame.size();
        if (last && echoDueCount_ < echoDue_.size()) {
            echoDue_[echoDueCount_++] = clock_.TickCount();
            lastChunkBytes_ = chunk.size();
        }
        ReadBack(start + chunk.size(), last, last && replyFollows);
    }
    return true;
}

// The bus is half-duplex: our own bytes come back to us and must be taken off the line, and what came before
// them belongs to earlier exchanges. What follows the echo is the reply: when one follows, the read may reach
// into it as far as the shortest reply, so that a module that answers at once costs no extra wake-up, and those
// bytes are kept for the receiver. An echo that has not come within the bound is looked for by ReceiveReply.
void CXmit::ReadBack(std::size_t echoEnd, bool last, bool replyFollows) {
    const std::size_t seenBefore = echoesSeen_;
    const auto echoed = [&] { return echoesSeen_ > seenBefore || (!last && echo_.Matched() >= echoEnd); };
    const std::size_t replyBytes = replyFollows ? carried_.size() : 0;
    const std::uint64_t start = clock_.TickCount();
    const std::uint64_t bound = kReadBackMs + LineDelayMs();
    while (!echoed()) {
        const std::uint64_t spent = clock_.TickCount() - start;
        if (spent >= bound) return;
        const std::size_t echoLeft = echoEnd - std::min(echo_.Matched(), echoEnd);
        const auto into = std::span(readBuffer_).first(std::min(echoLeft + replyBytes, readBuffer_.size()));
        const ReadResult got = port_->ReadExpecting(into, into.size(), WaitSlice(bound - spent));
        if (got.status == ReadStatus::HungUp) return;
        for (std::size_t i = 0; i < got.count; ++i) {
            if (!echoed()) {
                if (echo_.Feed(readBuffer_[i])) {
                    EchoCameBack();
                } else if (!lineEchoes_ && unechoedCount_ < unechoed_.size()) {
                    unechoed_[unechoedCount_++] = readBuffer_[i];
                }
            } else if (carriedCount_ < carried_.size()) {
                carried_[carriedCount_++] = readBuffer_[i];
            }
        }
        Waiting();
    }
}

// One copy of our frame came back: the line echoes, the oldest try still waiting for its echo tells the round
// trip, and a frame begun before it is no answer to this request.
void CXmit::EchoCameBack() {
    lineEchoes_ = true;
    unechoedCount_ = 0;
    if (echoesSeen_++ == 0) receiver_.Restart();
    if (echoDueCount_ == 0) return;
    const std::uint64_t delay = clock_.TickCount() - echoDue_[0];
    std::copy(echoDue_.begin() + 1, echoDue_.end(), echoDue_.begin());
    --echoDueCount_;
    const std::uint64_t lineMs = LineTimeMs(lastChunkBytes_);
    learnedDelayMs_ = delay > lineMs + kLocalEchoMs ? delay - lineMs : 0;
}

// Feeds one byte of the reply wait; true once a frame that may answer the request has ended.
bool CXmit::Take(std::uint8_t byte) {
    if (requestOpen_) {
        if (echo_.Feed(byte)) {
            EchoCameBack();
            return false;
        }
        // On a line that echoes, nothing before this request's echo can answer it.
        if (echoesSeen_ == 0 && lineEchoes_) return false;
    }
    if (!receiver_.Feed(byte)) return false;
    // A frame from another module than the one asked answers something else.
    if (!requestOpen_ || receiver_.ReplySource() == expectedSource_) return true;
    receiver_.Restart();
    return false;
}

bool CXmit::ReceiveReply(int timeout) {
    receiver_.Restart();
    if (!port_) return Fail(LinkFailure::NoPort);
    const std::uint64_t start = clock_.TickCount();
    const std::uint64_t wait = static_cast<std::uint64_t>(std::max(timeout, 0)) * 10;
    // Until a frame starts the wait counts from the request; once one is in progress it counts from its last
    // byte, so that a long reply is not cut by its own length, within the line time of the longest reply. A
    // delay learned from an echo that comes meanwhile lengthens the wait.
    std::uint64_t deadline = start + wait + LineDelayMs();
    // The reply's first bytes may have come with the echo, or in its place on a line that does not echo.
    const std::size_t unechoed = std::exchange(unechoedCount_, 0);
    for (std::size_t i = 0; i < unechoed; ++i) {
        if (Take(unechoed_[i])) return FrameEnded();
    }
    const std::size_t carried = std::exchange(carriedCount_, 0);
    for (std::size_t i = 0; i < carried; ++i) {
        if (Take(carried_[i])) return FrameEnded();
    }
    for (;;) {
        const std::uint64_t limit = wait + LineDelayMs();
        deadline = std::max(deadline, start + limit);
        const std::uint64_t now = clock_.TickCount();
        if (now >= deadline) return Fail(LinkFailure::TimedOut);
        // The receiver knows how many bytes must still come at the least: a paced reply is taken in a few reads.
        const ReadResult got = port_->ReadExpecting(readBuffer_, receiver_.BytesToEnd(), WaitSlice(deadline - now));
        if (got.status == ReadStatus::HungUp) return Fail(LinkFailure::HungUp);
        // Bytes after the frame's end are dropped with the buffer; the next request would discard them anyway.
        for (std::size_t i = 0; i < got.count; ++i) {
            if (Take(readBuffer_[i])) return FrameEnded();
        }
        if (got.count > 0 && receiver_.InFrame()) {
            deadline = std::min(clock_.TickCount() + limit, start + limit + kLongestReplyLineMs);
        }
        Waiting();
    }
}

std::chrono::milliseconds CXmit::WaitSlice(std::uint64_t left) const {
    // A window kept alive by the hook must get its turn at least this often.
    constexpr std::uint64_t kHookSliceMs = 10;
    return std::chrono::milliseconds(waitHook_ != nullptr ? std::min(left, kHookSliceMs) : left);
}

// A far line (a serial server over the network) takes its round trip on top of every wait: as its echoes
// show it, and at least what its entry says.
std::uint64_t CXmit::LineDelayMs() const {
    const auto floor = port_ ? static_cast<std::uint64_t>(std::max<std::int64_t>(port_->ExtraLatency().count(), 0)) : 0;
    return std::max(floor, learnedDelayMs_);
}

bool CXmit::FrameEnded() {
    if (receiver_.Valid()) {
        lastFailure_ = LinkFailure::None;
        return true;
    }
    if (receiver_.Refused()) return Fail(LinkFailure::Refused);
    if (receiver_.Truncated()) return Fail(LinkFailure::TooLong);
    return Fail(LinkFailure::BadChecksum);
}

bool CXmit::ProbeRack() {
    if (!XmitRequest({}, 0, kIdentityCommand, kIdentityTimeout)) return false;
    const auto reply = Reply();
    return reply.size() >= 2 && reply[0] == kIdentityMark && reply[1] == 0;
}

bool CXmit::FindPort() {
    ClosePort();
    busyPorts_.clear();
    searchFailures_.clear();
    ports_.BeginSearch();
    std::uint8_t n = portNumber_;
    do {
        if (TryPort(n)) return true;
        ++n;
    } while (n != portNumber_);
    return Fail(busyPorts_.empty() ? LinkFailure::NoPort : LinkFailure::Busy);
}

bool CXmit::OpenPort(std::uint8_t number) {
    ClosePort();
    busyPorts_.clear();
    searchFailures_.clear();
    return TryPort(number) || Fail(busyPorts_.empty() ? LinkFailure::NoPort : LinkFailure::Busy);
}

bool CXmit::TryPort(std::uint8_t number) {
    ClosePort();
    port_ = ports_.Open(number);
    if (port_ && ProbeRack()) {
        portNumber_ = number;
        linkLost_ = false;
        return true;
    }
    if (!port_) NoteOpenFailure();
    if (port_) NoteSilentPort(number);
    ClosePort();
    return false;
}

void CXmit::NoteOpenFailure() {
    OpenFailure failure = ports_.LastOpenFailure();
    if (failure.problem == OpenProblem::Absent) return;
    if (failure.busy) busyPorts_.push_back(failure.device);
    searchFailures_.push_back(std::move(failure));
}

// A port that opened and gave no rack; a serial server may have said why as it hung up.
void CXmit::NoteSilentPort(std::uint8_t number) {
    OpenFailure failure{ports_.Describe(number), 0, false, OpenProblem::NoAnswer, port_->PartingWords()};
    if (!failure.detail.empty()) {
        failure.busy = SaysInUse(failure.detail);
        failure.problem = failure.busy ? OpenProblem::ServerInUse : OpenProblem::ServerClosed;
    }
    if (failure.busy) busyPorts_.push_back(failure.device);
    searchFailures_.push_back(std::move(failure));
}

bool CXmit::WriteFirmwareBlock(std::uint32_t offset, std::span<const std::uint8_t> block, std::uint8_t address,
                               bool force) {
    const bool blank = std::all_of(block.begin(), block.end(), [](std::uint8_t b) { return b == 0xFF; });
    if (!force && blank) return true;

    std::vector<std::uint8_t> payload;
    payload.reserve(block.size() + 4);
    payload.push_back(kFirmwareBlockStep);
    payload.push_back(static_cast<std::uint8_t>((offset >> 16) & 0xFF));
    payload.push_back(static_cast<std::uint8_t>((offset >> 8) & 0xFF));
    payload.push_back(static_cast<std::uint8_t>(offset & 0xFF));
    payload.insert(payload.end(), block.begin(), block.end());
    return XmitRequest(payload, address, kFirmwareCommand, kFirmwareBlockTimeout);
}

}  // namespace kelvane
