#pragma once

#include "app/SlotTable.h"
#include "config/FirmwareFiles.h"

#include <cstdint>
#include <functional>
#include <optional>
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

// The step of an upgrade that failed.
enum class UpgradeStep {
    None,
    ImageFile,  // the image file could not be read, or is no longer the file the scan chose
    Start,
    Block,  // the block at `blockOffset`
    Write,  // the request that has the module write what it received
};

// One image offered to one module: an upgrade that did not take is remembered by it, so that another image for
// the same module, or the same image for another module, is still allowed.
struct UpgradeKey {
    std::uint8_t address = 0;
    std::uint8_t type = 0;
    std::filesystem::path imagePath;
    std::uint64_t fingerprint = 0;
    std::uint8_t version = 0;  // the image's

    bool operator==(const UpgradeKey&) const = default;
};

// A module that, after the restart, reports another version than the image it was sent.
struct VersionNotTaken {
    UpgradeKey image;
    std::size_t row = 0;  // the module's row after the restart
    std::uint8_t reported = 0;
};

// What came of one module's upgrade.
struct UpgradeOutcome {
    // An upgrade was due and was tried.
    bool due = false;
    // The start request has been sent, whatever came of it: the rack must then be restarted.
    bool started = false;
    UpgradeStep failedStep = UpgradeStep::None;
    std::uint32_t blockOffset = 0;
    ImageLoad image = ImageLoad::Loaded;
    // Set once the start request went, whatever came of it: after the rack's restart the module should run
    // that image.
    std::optional<UpgradeKey> offered;

    bool Failed() const { return failedStep != UpgradeStep::None; }
};

// The failed step in a few words, for a terminal: "the block at offset 768", "its image file changed since it
// was scanned".
std::string UpgradeFailureText(const UpgradeOutcome& outcome);

// "KXD410, row 3, reports V2.2 after an upgrade to V3.0", in the language of the catalogue.
std::string VersionNotTakenText(const VersionNotTaken& failure);

// The firmware table found at start-up and the upgrade of one module from it.
class FirmwareUpdate {
public:
    void ScanFirmwareFiles(const std::filesystem::path& applicationDirectory);

    // Upgrades the module of record `index` when a newer image is due for it. Only the image the scan judged is
    // sent: a file changed since then is refused before anything goes to the module.
    UpgradeOutcome UpgradeModuleFirmware(CXmit& link, const SlotRecord& record, std::size_t index,
                                         UpgradeFeedback& feedback);

    // A newer image that the module's version may take, and not one this module was already sent without
    // running it after the restart: flashing that again would only restart the rack again, at every search.
    bool UpgradeDueFor(const SlotRecord& record) const;

    // After the rack's restart, with the table read again: each module of `offered` that reports another
    // version than its image's is returned, and that image is never started on it again.
    std::vector<VersionNotTaken> CheckVersionsAfterRestart(const std::vector<UpgradeKey>& offered,
                                                           const SlotTable& after);

    std::uint8_t FirmwareFilesFound() const { return scan_.FirmwareFilesFound; }
    const FirmwareScan& Scan() const { return scan_; }
    const FirmwareTable& Table() const { return scan_.table; }

private:
    // From the start request to the write request; `outcome` gets the step that failed.
    static void SendImage(CXmit& link, const SlotRecord& record, const std::vector<std::uint8_t>& image,
                          const std::string& heading, UpgradeFeedback& feedback, UpgradeOutcome& outcome);

    UpgradeKey KeyOf(const SlotRecord& record) const;

    FirmwareScan scan_;
    // The images that did not take, while the program runs.
    std::vector<UpgradeKey> notTaken_;
};

// The request that opens a module's upgrade, and the one, after the last block, that has it write what it
// received; false when the module did not answer.
bool SendFirmwareStart(CXmit& link, std::uint8_t address);
bool SendFirmwareWrite(CXmit& link, std::uint8_t address);

// The image in blocks: forwards with every block for the KXC300, backwards skipping blank blocks for the rest.
// `onBlock` reports the bytes done so far. The offset of the block whose request failed, or nothing when every
// block went.
std::optional<std::uint32_t> SendFirmwareImage(CXmit& link, std::uint8_t address, std::uint8_t type,
                                               const std::vector<std::uint8_t>& image,
                                               const std::function<void(std::size_t done)>& onBlock);

}  // namespace kelvane
