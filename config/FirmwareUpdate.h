#pragma once

#include "app/SlotTable.h"
#include "config/FirmwareFiles.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelvane {

class CXmit;

// Where an upgrade reports its progress: the message area in the window, the terminal in kelvane-cli.
class UpgradeFeedback {
public:
    virtual ~UpgradeFeedback() = default;
    virtual void ShowText(const std::string& text, std::uint32_t durationMs) = 0;
    // A range of 0 hides the progress.
    virtual void Progress(int range, int position) = 0;
    virtual void Beep(unsigned frequencyHz, unsigned milliseconds) = 0;
    virtual void Pause(std::uint32_t milliseconds) = 0;
};

// The firmware table found at start-up and the upgrade of one module from it.
class FirmwareUpdate {
public:
    void ScanFirmwareFiles(const std::filesystem::path& applicationDirectory);

    // Upgrades the module of record `index` when a newer image is due for it. True once the start request has
    // been sent, whatever came of it: the rack must then be restarted.
    bool UpgradeModuleFirmware(CXmit& link, const SlotRecord& record, std::size_t index, UpgradeFeedback& feedback);

    std::uint8_t FirmwareFilesFound() const { return scan_.FirmwareFilesFound; }
    const FirmwareScan& Scan() const { return scan_; }
    const FirmwareTable& Table() const { return scan_.table; }

private:
    FirmwareScan scan_;
};

// The image in blocks: forwards with every block for the KXC300, backwards skipping blank blocks for the rest.
// `onBlock` reports the bytes done so far. False when a block request failed.
bool SendFirmwareImage(CXmit& link, std::uint8_t address, std::uint8_t type, const std::vector<std::uint8_t>& image,
                       const std::function<void(std::size_t done)>& onBlock);

}  // namespace kelvane
