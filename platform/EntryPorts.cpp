#include "platform/EntryPorts.h"

#include "platform/NetworkPort.h"

#include <cerrno>

namespace kelvane {
namespace {

// A device entry with a latency of its own: the device's port, reporting the latency to the link.
class LatencyPort final : public SerialPort {
public:
    LatencyPort(std::unique_ptr<SerialPort> port, std::chrono::milliseconds latency)
        : port_(std::move(port)), latency_(latency) {}
    bool Write(std::span<const std::uint8_t> bytes) override { return port_->Write(bytes); }
    ReadResult Read(std::span<std::uint8_t> into, std::chrono::milliseconds wait) override {
        return port_->Read(into, wait);
    }
    ReadResult ReadExpecting(std::span<std::uint8_t> into, std::size_t expected,
                             std::chrono::milliseconds wait) override {
        return port_->ReadExpecting(into, expected, wait);
    }
    bool HungUp() const override { return port_->HungUp(); }
    std::chrono::milliseconds ExtraLatency() const override { return latency_; }
    std::string PartingWords() const override { return port_->PartingWords(); }

private:
    std::unique_ptr<SerialPort> port_;
    std::chrono::milliseconds latency_;
};

}  // namespace

EntryPortOpener::EntryPortOpener(const std::vector<std::string>& entries, DeviceOpener openDevice,
                                 std::unique_ptr<PortOpener> localPorts)
    : openDevice_(std::move(openDevice)), localPorts_(std::move(localPorts)) {
    for (const std::string& text : entries) entries_.push_back(ParsePortEntry(text));
}

void EntryPortOpener::SetWaitHook(WaitHook* hook) {
    waitHook_ = hook;
    if (localPorts_) localPorts_->SetWaitHook(hook);
}

void EntryPortOpener::BeginSearch() {
    if (localPorts_) localPorts_->BeginSearch();
}

std::unique_ptr<SerialPort> EntryPortOpener::Open(std::uint8_t number) {
    if (number < entries_.size()) return OpenEntry(entries_[number]);
    const auto local = static_cast<std::size_t>(number) - entries_.size();
    if (!localPorts_) {
        lastFailure_ = OpenFailure{Describe(number), ENODEV, false, OpenProblem::Absent, {}};
        return nullptr;
    }
    auto port = localPorts_->Open(static_cast<std::uint8_t>(local));
    lastFailure_ = localPorts_->LastOpenFailure();
    return port;
}

std::unique_ptr<SerialPort> EntryPortOpener::OpenEntry(const PortEntry& entry) {
    lastFailure_ = OpenFailure{entry.name, EINVAL, false, OpenProblem::BadEntry, entry.problem};
    if (!entry.problem.empty()) return nullptr;
    if (entry.Network()) return NetworkPort::Open(entry, lastFailure_, waitHook_);
    auto port = openDevice_(entry.device, lastFailure_);
    lastFailure_.device = entry.name;
    if (!port || entry.latency.count() == 0) return port;
    return std::make_unique<LatencyPort>(std::move(port), entry.latency);
}

std::string EntryPortOpener::Describe(std::uint8_t number) const {
    if (number < entries_.size()) return entries_[number].name;
    const auto local = static_cast<std::size_t>(number) - entries_.size();
    if (!localPorts_) return "port " + std::to_string(number) + " (not present)";
    return localPorts_->Describe(static_cast<std::uint8_t>(local));
}

std::string EntryPortOpener::RackName(std::uint8_t number) const {
    return number < entries_.size() ? entries_[number].rack : std::string();
}

}  // namespace kelvane
