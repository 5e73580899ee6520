#include "config/FirmwareUpdate.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "app/Tones.h"
#include "link/RequestCodes.h"
#include "link/Xmit.h"

#include <algorithm>
#include <span>

namespace kelvane {
namespace {

constexpr std::uint32_t kProgressShowMs = 20000;
constexpr std::uint32_t kResultShowMs = 2000;
constexpr std::uint32_t kPauseAfterWriteMs = 200;

bool SendStep(CXmit& link, std::uint8_t address, FirmwareStep step, int timeout) {
    const std::uint8_t payload[] = {step};
    return link.XmitRequest(payload, address, kFirmwareCommand, timeout);
}

// Both walks return the offset of the block whose request failed, or nothing.
std::optional<std::uint32_t> SendForwards(CXmit& link, std::uint8_t address, const std::vector<std::uint8_t>& image,
                                          const std::function<void(std::size_t)>& onBlock) {
    const std::span<const std::uint8_t> all(image);
    for (std::size_t offset = 0; offset < image.size();) {
        const std::size_t length = std::min(kFirmwareBlock, image.size() - offset);
        const auto at = static_cast<std::uint32_t>(offset);
        if (!link.WriteFirmwareBlock(at, all.subspan(offset, length), address, true)) return at;
        offset += length;
        onBlock(offset);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> SendBackwards(CXmit& link, std::uint8_t address, const std::vector<std::uint8_t>& image,
                                           const std::function<void(std::size_t)>& onBlock) {
    const std::span<const std::uint8_t> all(image);
    // Whole blocks only: the scan refuses any other image of these types.
    for (std::size_t end = image.size() - image.size() % kFirmwareBlock, done = kFirmwareBlock; end > 0;
         end -= kFirmwareBlock, done += kFirmwareBlock) {
        const std::size_t offset = end - kFirmwareBlock;
        const auto at = static_cast<std::uint32_t>(offset);
        if (!link.WriteFirmwareBlock(at, all.subspan(offset, kFirmwareBlock), address, false)) return at;
        onBlock(done);
    }
    return std::nullopt;
}

}  // namespace

void FirmwareUpdate::ScanFirmwareFiles(const std::filesystem::path& applicationDirectory) {
    scan_ = kelvane::ScanFirmwareFiles(applicationDirectory);
}

std::optional<std::uint32_t> SendFirmwareImage(CXmit& link, std::uint8_t address, std::uint8_t type,
                                               const std::vector<std::uint8_t>& image,
                                               const std::function<void(std::size_t done)>& onBlock) {
    return type == kPlayerType ? SendForwards(link, address, image, onBlock)
                               : SendBackwards(link, address, image, onBlock);
}

bool SendFirmwareStart(CXmit& link, std::uint8_t address) {
    return SendStep(link, address, kFirmwareStartStep, kFirmwareStartTimeout);
}

bool SendFirmwareWrite(CXmit& link, std::uint8_t address) {
    return SendStep(link, address, kFirmwareWriteStep, kFirmwareWriteTimeout);
}

UpgradeOutcome FirmwareUpdate::UpgradeModuleFirmware(CXmit& link, const SlotRecord& record, std::size_t index,
                                                     UpgradeFeedback& feedback) {
    UpgradeOutcome outcome;
    if (!UpgradeDueFor(record)) return outcome;
    const FirmwareEntry& entry = scan_.table[record.Type];
    outcome.due = true;

    const std::string heading = FormatText(
        MessageText(kUpdatingModuleMessage),
        {static_cast<int>(index), ModuleTypeName(record.Type), entry.BestVersion / 10, entry.BestVersion % 10});
    feedback.ShowText(heading + MessageText(kPreparingMessage), kProgressShowMs);

    std::vector<std::uint8_t> image;
    outcome.image = LoadFirmwareImage(entry, image);
    if (outcome.image == ImageLoad::Loaded) {
        SendImage(link, record, image, heading, feedback, outcome);
        if (outcome.started) outcome.offered = KeyOf(record);
    } else {
        outcome.failedStep = UpgradeStep::ImageFile;
    }
    if (!outcome.Failed()) {
        feedback.ShowText(heading + "OK", kResultShowMs);
        feedback.Pause(kPauseAfterWriteMs);
    } else {
        // A file that changed since the scan is named as such: sending it blind is what was avoided.
        const bool changed = outcome.image == ImageLoad::Changed;
        feedback.ShowText(heading + MessageText(changed ? kFirmwareChangedMessage : kErrorMessage), kResultShowMs);
        feedback.Beep(kFailureTone.frequencyHz, kFailureTone.milliseconds);
    }
    feedback.Progress(0, 0);
    return outcome;
}

void FirmwareUpdate::SendImage(CXmit& link, const SlotRecord& record, const std::vector<std::uint8_t>& image,
                               const std::string& heading, UpgradeFeedback& feedback, UpgradeOutcome& outcome) {
    const int range = static_cast<int>(image.size());
    feedback.Progress(range, 0);
    outcome.started = true;
    if (!SendFirmwareStart(link, record.Address)) {
        outcome.failedStep = UpgradeStep::Start;
        return;
    }
    feedback.ShowText(heading + MessageText(kSendingMessage), kProgressShowMs);
    const auto failedBlock = SendFirmwareImage(link, record.Address, record.Type, image, [&](std::size_t done) {
        feedback.Progress(range, static_cast<int>(done));
    });
    if (failedBlock) {
        outcome.failedStep = UpgradeStep::Block;
        outcome.blockOffset = *failedBlock;
        return;
    }
    feedback.ShowText(heading + MessageText(kWritingMessage), kResultShowMs);
    if (!SendFirmwareWrite(link, record.Address)) outcome.failedStep = UpgradeStep::Write;
}

bool FirmwareUpdate::UpgradeDueFor(const SlotRecord& record) const {
    if (record.Type >= kFirmwareTypes || !UpgradeDue(record.Version, scan_.table[record.Type])) return false;
    return std::find(notTaken_.begin(), notTaken_.end(), KeyOf(record)) == notTaken_.end();
}

UpgradeKey FirmwareUpdate::KeyOf(const SlotRecord& record) const {
    const FirmwareEntry& entry = scan_.table[record.Type];
    return {record.Address, record.Type, entry.ImagePath, entry.Fingerprint, entry.BestVersion};
}

// A module is found again by its bus address and type: the rack may list it in another row after its restart.
// One that did not come back is not judged here; the table read after the restart shows what is there.
std::vector<VersionNotTaken> FirmwareUpdate::CheckVersionsAfterRestart(const std::vector<UpgradeKey>& offered,
                                                                       const SlotTable& after) {
    std::vector<VersionNotTaken> failures;
    for (const UpgradeKey& image : offered) {
        const std::span<const SlotRecord> modules = after.Valid();
        const auto module = std::find_if(modules.begin(), modules.end(), [&](const SlotRecord& record) {
            return record.Address == image.address && record.Type == image.type;
        });
        if (module == modules.end() || module->Version == image.version) continue;
        failures.push_back({image, static_cast<std::size_t>(module - modules.begin()), module->Version});
        if (std::find(notTaken_.begin(), notTaken_.end(), image) == notTaken_.end()) notTaken_.push_back(image);
    }
    return failures;
}

std::string VersionNotTakenText(const VersionNotTaken& failure) {
    const UpgradeKey& image = failure.image;
    return FormatText(MessageText(kVersionNotTakenMessage),
                      {ModuleTypeName(image.type), static_cast<int>(failure.row), failure.reported / 10,
                       failure.reported % 10, image.version / 10, image.version % 10});
}

std::string UpgradeFailureText(const UpgradeOutcome& outcome) {
    switch (outcome.failedStep) {
    case UpgradeStep::None: return "";
    case UpgradeStep::ImageFile:
        return outcome.image == ImageLoad::Changed ? "its image file changed since it was scanned; nothing was sent"
                                                   : "its image file could not be read; nothing was sent";
    case UpgradeStep::Start: return "the start request got no valid reply";
    case UpgradeStep::Block:
        return "the block at offset " + std::to_string(outcome.blockOffset) + " got no valid reply";
    case UpgradeStep::Write: return "the write request got no valid reply";
    }
    return "";
}

}  // namespace kelvane
