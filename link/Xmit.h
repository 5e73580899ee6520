#pragma once

#include "link/EchoWatch.h"
#include "link/FrameEncoder.h"
#include "link/LinkFailure.h"
#include "link/ReplyReceiver.h"
#include "link/RequestCodes.h"
#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/WaitHook.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kelvane {

// The first byte of every identity reply: 'w'.
constexpr std::uint8_t kIdentityMark = 0x77;

// The serial link to the rack: one request at a time, each answered by one reply frame (or by nothing, for a
// broadcast). The program owns a single instance; everything that talks to the rack goes through XmitRequest.
class CXmit {
public:
    static constexpr int kTries = 3;
    static constexpr std::size_t kWriteChunk = 400;
    static constexpr std::uint64_t kReadBackMs = 100;

    CXmit(PortOpener& ports, Clock& clock) : ports_(ports), clock_(clock) {}
    virtual ~CXmit() = default;

    CXmit(const CXmit&) = delete;
    CXmit& operator=(const CXmit&) = delete;

    // Sends one request and waits `timeout` × 10 ms per try for its reply, up to three tries. True when a valid
    // reply stands in ReplyData/ReplyLength, or for a broadcast once its frame was written whole. A request whose
    // tries all fail sets LinkLost; with no port open nothing is tried and LinkLost is left alone. Only a frame
    // from the addressed module that follows the echo of this request (on a line that echoes) can be its reply:
    // a late reply to an earlier request is never taken for this one's.
    bool XmitRequest(std::span<const std::uint8_t> payload, std::uint8_t address, std::uint8_t command, int timeout);

    // Searches the COM ports from the one that answered last; true leaves the rack's port open.
    bool FindPort();
    // Opens port `number` alone and asks whether the rack answers there, as the search asks each port; true
    // leaves it open. False says why as a search does (LastFailure Busy when another program holds it).
    bool OpenPort(std::uint8_t number);

    // Why the last request (or ReceiveReply, or search) returned false; None after a true result.
    LinkFailure LastFailure() const { return lastFailure_; }
    // The devices the last search found held by another program, as the operator knows them.
    const std::vector<std::string>& BusyPorts() const { return busyPorts_; }
    // Why each port the last search tried gave no rack, in the order tried (numbers with nothing behind them
    // left out).
    const std::vector<OpenFailure>& SearchFailures() const { return searchFailures_; }

    // One block of a firmware image; blank blocks (all 0xFF) are skipped unless forced.
    bool WriteFirmwareBlock(std::uint32_t offset, std::span<const std::uint8_t> block, std::uint8_t address,
                            bool force);

    // Runs the receive state machine until a frame ends or `timeout` × 10 ms pass (and the line's delay).
    bool ReceiveReply(int timeout);

    // What the line adds to every wait: the round trip learned from the echoes, never less than the latency
    // the port's entry gives. 0 on a local line.
    std::uint64_t LineDelayMs() const;

    // Called while a request waits on the line, or a port's opening on the network; null for none.
    void SetWaitHook(WaitHook* hook) {
        waitHook_ = hook;
        ports_.SetWaitHook(hook);
    }

    void ClosePort();
    bool PortOpen() const { return port_ != nullptr; }

    std::uint8_t PortNumber() const { return portNumber_; }
    void SetPortNumber(std::uint8_t number) { portNumber_ = number; }
    // The port-table entry of PortNumber as the operator knows it: a device, or a serial server's entry.
    std::string PortName() const { return ports_.Describe(portNumber_); }
    // The name the port table gives the rack on the open port ("Mont Aigoual @ ..."); empty when none.
    std::string RackName() const { return ports_.RackName(portNumber_); }
    // The port table the searches go round.
    const PortOpener& Ports() const { return ports_; }

    bool LinkLost() const { return linkLost_; }
    void SetLinkLost(bool lost) { linkLost_ = lost; }
    // Reads the flag and clears it, as the supervision does on every tick.
    bool TakeLinkLost();

    // The last reply. Read it only after a request returned true.
    const std::array<std::uint8_t, kReplyDataSize>& ReplyData() const { return receiver_.ReplyData(); }
    std::int32_t ReplyLength() const { return receiver_.ReplyLength(); }
    std::uint8_t ReplyCode() const { return receiver_.ReplyCode(); }
    std::uint8_t ReplySource() const { return receiver_.ReplySource(); }
    std::span<const std::uint8_t> Reply() const { return receiver_.Payload(); }

    // The frame last encoded, as it went (or goes again on a retry) onto the line.
    std::span<const std::uint8_t> TransmitBuffer() const { return encoder_.Bytes(); }

private:
    void DiscardPendingInput();
    bool WriteFrame(bool replyFollows);
    void ReadBack(std::size_t echoEnd, bool last, bool replyFollows);
    bool Take(std::uint8_t byte);
    void EchoCameBack();
    bool FrameEnded();
    bool Fail(LinkFailure reason);
    bool ProbeRack();
    // One port of a search: opened and probed; false, with why noted, when it gave no rack.
    bool TryPort(std::uint8_t number);
    void NoteOpenFailure();
    void NoteSilentPort(std::uint8_t number);
    // The longest a single read may wait while a hook must be given its turn; no limit without one.
    std::chrono::milliseconds WaitSlice(std::uint64_t left) const;
    void Waiting() {
        if (waitHook_ != nullptr) waitHook_->WhileWaiting();
    }

    PortOpener& ports_;
    Clock& clock_;
    std::unique_ptr<SerialPort> port_;
    FrameEncoder encoder_;
    ReplyReceiver receiver_;
    // What one read takes off the line; the receiver is fed from it byte by byte.
    std::array<std::uint8_t, 512> readBuffer_{};
    // Reply bytes that came in the same read as the end of the echo, for ReceiveReply to take first: never more
    // than the shortest reply, so that nothing past what is sure to come is taken.
    std::array<std::uint8_t, ReplyReceiver::kShortestFrame> carried_{};
    std::size_t carriedCount_ = 0;
    // The request in progress: the module that must answer it, its frame as the line gives it back, how many
    // copies of that came back, and when each try's last chunk went out whose echo is still to come.
    bool requestOpen_ = false;
    std::uint8_t expectedSource_ = 0;
    EchoWatch echo_;
    std::size_t echoesSeen_ = 0;
    std::array<std::uint64_t, kTries> echoDue_{};
    std::size_t echoDueCount_ = 0;
    std::size_t lastChunkBytes_ = 0;
    // On a line that has never echoed, what the read-back took is no echo but the start of the reply.
    std::array<std::uint8_t, kReplyDataSize> unechoed_{};
    std::size_t unechoedCount_ = 0;
    // What this port's line has shown: that it echoes, and its round trip beyond a local line's.
    bool lineEchoes_ = false;
    std::uint64_t learnedDelayMs_ = 0;
    std::uint8_t portNumber_ = 0;
    bool linkLost_ = false;
    LinkFailure lastFailure_ = LinkFailure::None;
    std::vector<std::string> busyPorts_;
    std::vector<OpenFailure> searchFailures_;
    WaitHook* waitHook_ = nullptr;
};

}  // namespace kelvane
