#pragma once

#include "platform/SerialPort.h"
#include "platform/posix/UucpLock.h"

#include <optional>

#include <string>
#include <vector>

namespace kelvane {

// Linux has device paths, not numbered COM ports: COM number k is entry k of a table built in a stable order,
// so that the rack search can count ports as it does everywhere else.
class PortTable final : public PortOpener {
public:
    // A fixed table.
    explicit PortTable(std::vector<std::string> paths) : paths_(std::move(paths)) {}

    // The serial devices below `devRoot`, scanned afresh at the start of every search: an adapter plugged in
    // after start-up is found by the next search.
    static PortTable Scanning(std::string devRoot = "/dev");

    // KELVANE_PORTS="path:path:..." when set (entry 0 first), else the serial devices of this machine.
    static PortTable FromEnvironment();

    // /dev/serial/by-id (stable across re-plugging), then ttyUSB*, ttyACM* and ttyS* not already listed.
    static std::vector<std::string> ScanDevices(const std::string& devRoot = "/dev");

    // Splits a colon-separated list, dropping empty entries.
    static std::vector<std::string> ParseList(const std::string& list);

    const std::vector<std::string>& Paths() const { return paths_; }
    std::size_t EntryCount() const override { return paths_.size(); }
    void BeginSearch() override;
    std::unique_ptr<SerialPort> Open(std::uint8_t number) override;
    std::string Describe(std::uint8_t number) const override;
    OpenFailure LastOpenFailure() const override { return lastFailure_; }
    // Where the devices' lock files are looked for and made, in place of the system's folders.
    void SetLockFolders(UucpLock::Folders folders) { lockFolders_ = std::move(folders); }

private:
    std::vector<std::string> paths_;
    // Empty for a fixed table.
    std::string scannedRoot_;
    OpenFailure lastFailure_;
    std::optional<UucpLock::Folders> lockFolders_;
};

}  // namespace kelvane
