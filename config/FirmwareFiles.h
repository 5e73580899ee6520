#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

constexpr std::size_t kFirmwareTypes = 20;
constexpr std::size_t kFirmwareBlock = 256;
constexpr std::size_t kFirmwareHeader = 6;
constexpr const char* kFirmwareListName = "KXR.FRM";

// The newest usable image for one module type.
struct FirmwareEntry {
    std::filesystem::path ImagePath;
    std::uint8_t BestVersion = 0;
    std::uint8_t MinUpgradableVersion = 0;
};

using FirmwareTable = std::array<FirmwareEntry, kFirmwareTypes>;

// Why the scan kept or left a line of the firmware list, for whoever wants to tell the operator.
enum class FirmwareVerdict {
    Chosen,          // became the choice for its type
    NotNewer,        // valid, but an image listed earlier is as new or newer
    Unreadable,      // missing or cannot be opened
    TooShort,        // 6 bytes or fewer
    BadChecksum,
    NameMismatch,    // the listed name does not start with its type's model name
    NotWholeBlocks,  // not a whole number of 256-byte blocks (only the KXC300 may end with a short block)
};

struct FirmwareScanNote {
    std::string line;
    std::filesystem::path path;
    FirmwareVerdict verdict;
    std::uint8_t type = 0;
    std::uint8_t version = 0;
};

struct FirmwareScan {
    FirmwareTable table;
    std::uint8_t FirmwareFilesFound = 0;
    bool listFound = false;
    std::vector<FirmwareScanNote> notes;
};

// The lowest module version (from V1.0 up) that each type may be upgraded from.
std::uint8_t MinUpgradableVersion(std::uint8_t type);

// Reads <applicationDirectory>/firmware/KXR.FRM and keeps, per type, the newest valid image it names.
FirmwareScan ScanFirmwareFiles(const std::filesystem::path& applicationDirectory);

// Whether a module at `moduleVersion` takes the image of `entry`: older than it, and either a 0.x version or
// at least the type's lowest upgradable version.
bool UpgradeDue(std::uint8_t moduleVersion, const FirmwareEntry& entry);

// The image proper (after the 6-byte header) of a firmware file, or nothing when it cannot be read whole.
std::optional<std::vector<std::uint8_t>> LoadFirmwareImage(const std::filesystem::path& path);

// A firmware file for `type` at `version` holding `image`, with its checksum: what the scan accepts.
std::vector<std::uint8_t> BuildFirmwareFile(std::uint8_t type, std::uint8_t version,
                                            const std::vector<std::uint8_t>& image);

const char* FirmwareVerdictText(FirmwareVerdict verdict);

}  // namespace kelvane
