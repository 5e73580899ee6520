#pragma once

#include "platform/PortEntry.h"
#include "platform/SerialPort.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kelvane {

// The port table built from entries (KELVANE_PORTS, ports.txt, --port): entry k is COM number k, and the
// machine's own ports, when they follow, take the numbers after the entries. Network entries are opened here;
// device entries by the platform's own device opener.
class EntryPortOpener final : public PortOpener {
public:
    // Opens a device entry's path or name, filling the failure when it gives no port.
    using DeviceOpener = std::function<std::unique_ptr<SerialPort>(const std::string& device, OpenFailure& failure)>;

    EntryPortOpener(const std::vector<std::string>& entries, DeviceOpener openDevice,
                    std::unique_ptr<PortOpener> localPorts = nullptr);

    const std::vector<PortEntry>& Entries() const { return entries_; }
    void BeginSearch() override;
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    OpenFailure LastOpenFailure() const override { return lastFailure_; }
    std::string Describe(std::uint8_t number) const override;
    std::string RackName(std::uint8_t number) const override;
    std::size_t EntryCount() const override { return entries_.size() + (localPorts_ ? localPorts_->EntryCount() : 0); }
    void SetWaitHook(WaitHook* hook) override;

private:
    std::unique_ptr<SerialPort> OpenEntry(const PortEntry& entry);

    std::vector<PortEntry> entries_;
    DeviceOpener openDevice_;
    std::unique_ptr<PortOpener> localPorts_;
    OpenFailure lastFailure_;
    WaitHook* waitHook_ = nullptr;
};

}  // namespace kelvane
