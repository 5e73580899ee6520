#include "config/FirmwareUpdate.h"

#include "app/MessageCatalogue.h"
#include "app/ModuleTypes.h"
#include "app/TextFormat.h"
#include "link/Xmit.h"

#include <span>

namespace kelvane {
namespace {

constexpr std::uint8_t kStartStep = 0x00;
constexpr std::uint8_t kBlockStep = 0x01;
constexpr std::uint8_t kWriteStep = 0x02;
constexpr int kStartTimeout = 200;
constexpr int kBlockTimeout = 300;
constexpr int kWriteTimeout = 10000;
constexpr std::uint32_t kProgressShowMs = 20000;
constexpr std::uint32_t kResultShowMs = 2000;
constexpr std::uint32_t kPauseAfterWriteMs = 200;
constexpr unsigned kFailureBeepHz = 220;
constexpr unsigned kFailureBeepMs = 200;

constexpr int kUpdatingMessage = 22;
constexpr int kPreparingMessage = 23;
constexpr int kSendingMessage = 24;
constexpr int kWritingMessage = 25;
constexpr int kErrorMessage = 26;

bool SendStep(CXmit& link, std::uint8_t address, std::uint8_t step, int timeout) {
    const std::uint8_t payload[] = {step};
    return link.XmitRequest(payload, address, kFirmwareCommand, timeout);
}

bool SendForwards(CXmit& link, std::uint8_t address, const std::vector<std::uint8_t>& image,
                  const std::function<void(std::size_t)>& onBlock) {
    const std::span<const std::uint8_t> all(image);
    for (std::size_t offset = 0; offset < image.size();) {
        const std::size_t length = std::min(kFirmwareBlock, image.size() - offset);
        if (!link.WriteFirmwareBlock(static_cast<std::uint32_t>(offset), all.subspan(offset, length), address, true)) {
            return false;
        }
        offset += length;
        onBlock(offset);
    }
    return true;
}

bool SendBackwards(CXmit& link, std::uint8_t address, const std::vector<std::uint8_t>& image,
                   const std::function<void(std::size_t)>& onBlock) {
    const std::span<const std::uint8_t> all(image);
    // Whole blocks only: the scan refuses any other image of these types.
    for (std::size_t end = image.size() - image.size() % kFirmwareBlock, done = kFirmwareBlock; end > 0;
         end -= kFirmwareBlock, done += kFirmwareBlock) {
        const std::size_t offset = end - kFirmwareBlock;
        if (!link.WriteFirmwareBlock(static_cast<std::uint32_t>(offset), all.subspan(offset, kFirmwareBlock), address,
                                     false)) {
            return false;
        }
        onBlock(done);
    }
    return true;
}

}  // namespace

void FirmwareUpdate::ScanFirmwareFiles(const std::filesystem::path& applicationDirectory) {
    scan_ = kelvane::ScanFirmwareFiles(applicationDirectory);
}

bool SendFirmwareImage(CXmit& link, std::uint8_t address, std::uint8_t type, const std::vector<std::uint8_t>& image,
                       const std::function<void(std::size_t done)>& onBlock) {
    return type == kPlayerType ? SendForwards(link, address, image, onBlock)
                               : SendBackwards(link, address, image, onBlock);
}

bool FirmwareUpdate::UpgradeModuleFirmware(CXmit& link, const SlotRecord& record, std::size_t index,
                                           UpgradeFeedback& feedback) {
    if (record.Type >= kFirmwareTypes) return false;
    const FirmwareEntry& entry = scan_.table[record.Type];
    if (!UpgradeDue(record.Version, entry)) return false;

    const std::string heading = FormatText(MessageText(kUpdatingMessage),
                                           {static_cast<int>(index), ModuleTypeName(record.Type),
                                            entry.BestVersion / 10, entry.BestVersion % 10});
    feedback.ShowText(heading + MessageText(kPreparingMessage), kProgressShowMs);

    bool started = false;
    bool ok = false;
    if (const auto image = LoadFirmwareImage(entry.ImagePath)) {
        const int range = static_cast<int>(image->size());
        feedback.Progress(range, 0);
        started = true;
        ok = SendStep(link, record.Address, kStartStep, kStartTimeout);
        if (ok) {
            feedback.ShowText(heading + MessageText(kSendingMessage), kProgressShowMs);
            ok = SendFirmwareImage(link, record.Address, record.Type, *image,
                                   [&](std::size_t done) { feedback.Progress(range, static_cast<int>(done)); });
        }
        if (ok) {
            feedback.ShowText(heading + MessageText(kWritingMessage), kResultShowMs);
            ok = SendStep(link, record.Address, kWriteStep, kWriteTimeout);
        }
    }
    if (ok) {
        feedback.ShowText(heading + "OK", kResultShowMs);
        feedback.Pause(kPauseAfterWriteMs);
    } else {
        feedback.ShowText(heading + MessageText(kErrorMessage), kResultShowMs);
        feedback.Beep(kFailureBeepHz, kFailureBeepMs);
    }
    feedback.Progress(0, 0);
    return started;
}

}  // namespace kelvane
