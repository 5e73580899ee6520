#include "platform/NetworkPort.h"

#include <algorithm>
#include <cerrno>

namespace kelvane {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

milliseconds Left(steady_clock::time_point deadline) {
    return std::max(milliseconds(0), std::chrono::ceil<milliseconds>(deadline - steady_clock::now()));
}

}  // namespace

std::unique_ptr<NetworkPort> NetworkPort::Open(const PortEntry& entry, OpenFailure& failure, WaitHook* hook) {
    const auto deadline = steady_clock::now() + kConnectBound;
    failure.error = 0;
    auto socket = TcpSocket::Connect(entry.host, entry.port, kConnectBound, &failure.error, hook);
    if (!socket) {
        failure.problem = TcpSocket::ProblemOf(failure.error);
        return nullptr;
    }
    auto port = std::unique_ptr<NetworkPort>(new NetworkPort(std::move(socket), entry.latency));
    if (entry.kind != PortEntry::Kind::Rfc2217) return port;
    port->telnet_.emplace();
    if (port->Negotiate(deadline, hook)) return port;
    if (port->telnet_->GetState() == TelnetComPort::State::Refused) {
        failure = {failure.device, EPROTO, false, OpenProblem::SettingsRefused, port->telnet_->Reason()};
    } else if (const std::string words = port->PartingWords(); !words.empty()) {
        const bool inUse = SaysInUse(words);
        failure = {failure.device, ECONNRESET, inUse, inUse ? OpenProblem::ServerInUse : OpenProblem::ServerClosed,
                   words};
    } else {
        failure.error = port->socket_->Closed() ? ECONNRESET : ETIMEDOUT;
        failure.problem = port->socket_->Closed() ? OpenProblem::ServerClosed : OpenProblem::TimedOut;
    }
    return nullptr;
}

// The line is not used until the server has confirmed every setting. The rack does not speak unasked, so
// whatever comes with the answers is dropped, as the link drops pending input before each request; it is
// kept only as the server's words, should it hang up.
bool NetworkPort::Negotiate(steady_clock::time_point deadline, WaitHook* hook) {
    const std::vector<std::uint8_t> greeting = telnet_->Greeting();
    if (!socket_->Send(greeting)) return false;
    std::array<std::uint8_t, 256> dropped{};
    while (telnet_->GetState() == TelnetComPort::State::Negotiating) {
        const milliseconds left = Left(deadline);
        if (left.count() == 0) return false;
        const ReadResult got = socket_->Receive(wire_, hook != nullptr ? std::min(left, kWaitHookSlice) : left);
        if (got.status == ReadStatus::HungUp) return false;
        for (std::size_t at = 0; at < got.count; at += dropped.size()) {
            const std::size_t n = std::min(dropped.size(), got.count - at);
            Hear(std::span(dropped).first(telnet_->Receive(std::span(wire_).subspan(at, n), dropped)));
        }
        if (!SendReplies()) return false;
        if (hook != nullptr) hook->WhileWaiting();
    }
    return telnet_->GetState() == TelnetComPort::State::Ready;
}

void NetworkPort::Hear(std::span<const std::uint8_t> bytes) {
    const std::size_t n = std::min(bytes.size(), heard_.size() - heardCount_);
    std::copy_n(bytes.begin(), n, heard_.begin() + static_cast<std::ptrdiff_t>(heardCount_));
    heardCount_ += n;
}

// Printable words only: the text goes to a terminal and a window, and a server may send anything.
std::string NetworkPort::PartingWords() const {
    if (!socket_->Closed()) return {};
    std::string words;
    for (std::size_t k = 0; k < heardCount_; ++k) {
        const auto c = static_cast<char>(heard_[k]);
        if (heard_[k] >= 0x20 && heard_[k] < 0x7F) {
            words += c;
        } else if (!words.empty() && words.back() != ' ') {
            words += ' ';
        }
    }
    while (!words.empty() && words.back() == ' ') words.pop_back();
    return words;
}

bool NetworkPort::SendReplies() {
    const std::vector<std::uint8_t> replies = telnet_->TakeReplies();
    return replies.empty() || socket_->Send(replies);
}

bool NetworkPort::Write(std::span<const std::uint8_t> bytes) {
    if (HungUp()) return false;
    if (!telnet_) return socket_->Send(bytes);
    escaped_.clear();
    telnet_->Escape(bytes, escaped_);
    return socket_->Send(escaped_);
}

ReadResult NetworkPort::Read(std::span<std::uint8_t> into, milliseconds wait) {
    if (HungUp()) return {0, ReadStatus::HungUp};
    if (!telnet_) {
        const ReadResult got = socket_->Receive(into, wait);
        Hear(into.first(got.count));
        return got;
    }
    if (into.empty()) return {0, ReadStatus::TimedOut};
    // Telnet commands take room on the connection and none in the data, so a read may bring no rack byte:
    // wait on for the rest of the time. Reading no more than `into` holds keeps the data within it.
    const auto deadline = steady_clock::now() + wait;
    for (;;) {
        const ReadResult got =
            socket_->Receive(std::span(wire_).first(std::min(wire_.size(), into.size())), Left(deadline));
        if (got.status != ReadStatus::Received) return got;
        const std::size_t count = telnet_->Receive(std::span(wire_).first(got.count), into);
        Hear(into.first(count));
        if (!SendReplies() || HungUp()) return {0, ReadStatus::HungUp};
        if (count > 0) return {count, ReadStatus::Received};
        if (Left(deadline).count() == 0) return {0, ReadStatus::TimedOut};
    }
}

// A server that takes back the line settings has left the rack's line as far as we can tell.
bool NetworkPort::HungUp() const {
    return socket_->Closed() || (telnet_ && telnet_->GetState() == TelnetComPort::State::Refused);
}

}  // namespace kelvane
