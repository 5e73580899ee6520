#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace kelvane {

constexpr std::size_t kFirmwareTypes = 20;
constexpr std::size_t kFirmwareBlock = 256;
constexpr std::size_t kFirmwareHeader = 6;
// A block's offset goes to the module in 24 bits: no module can take a longer image than this.
constexpr std::size_t kMaxFirmwareImage = std::size_t{1} << 24;
constexpr const char* kFirmwareListName = "KXR.FRM";
// The firmware list is read no further than this: a list is a handful of names, never a file of any size.
constexpr std::size_t kMaxFirmwareListLines = 1000;
constexpr std::size_t kMaxFirmwareListLine = 1024;
// Nor is a list read past this many bytes.
constexpr std::size_t kMaxFirmwareListBytes = std::size_t{16} << 20;

// The newest usable image for one module type.
struct FirmwareEntry {
    std::filesystem::path ImagePath;
    std::uint8_t BestVersion = 0;
    std::uint8_t MinUpgradableVersion = 0;
    // What the scan read of that file, so that an upgrade sends exactly the image that was judged.
    std::size_t FileLength = 0;
    std::uint64_t Fingerprint = 0;
};

using FirmwareTable = std::array<FirmwareEntry, kFirmwareTypes>;

// Why the scan kept or left a line of the firmware list, for whoever wants to tell the operator.
enum class FirmwareVerdict {
    Chosen,  // became the choice for its type
    NotNewer,  // valid, but an image listed earlier is as new or newer
    Missing,  // no such file, or an empty line
    NotAFile,  // a folder, a device or another special file
    Unreadable,  // cannot be opened or read to its end
    TooLarge,  // an image longer than a module can take (16 MiB)
    TooShort,  // 6 bytes or fewer
    BadChecksum,
    NameMismatch,  // the listed name does not start with its type's model name
    NotWholeBlocks,  // not a whole number of 256-byte blocks (only the KXC300 may end with a short block)
    LineTooLong,  // longer than any name the list may hold
};

struct FirmwareScanNote {
    std::string line;
    std::filesystem::path path;
    FirmwareVerdict verdict = FirmwareVerdict::Missing;
    std::uint8_t type = 0;
    std::uint8_t version = 0;
    // The system's reason when the file could not be opened or read.
    std::error_code error;
};

struct FirmwareScan {
    FirmwareTable table;
    std::uint8_t FirmwareFilesFound = 0;
    bool listFound = false;
    // The list went on past the lines that are read.
    bool listCut = false;
    std::vector<FirmwareScanNote> notes;
};

// The lowest module version (from V1.0 up) that each type may be upgraded from.
std::uint8_t MinUpgradableVersion(std::uint8_t type);

// Reads <applicationDirectory>/firmware/KXR.FRM and keeps, per type, the newest valid image it names. Files are
// read in bounded chunks and never kept whole; nothing a line names (a folder, a device, a huge file) stops it.
FirmwareScan ScanFirmwareFiles(const std::filesystem::path& applicationDirectory);

// Why an image of `length` bytes cannot go to a module of `type` in 256-byte blocks at 24-bit offsets
// (TooShort, TooLarge or NotWholeBlocks), or nothing when it can.
std::optional<FirmwareVerdict> ImageRefusal(std::uint8_t type, std::size_t length);

// Whether the operator must hear of a file the scan left out even in the window, where most refusals pass
// silently as a missing file does.
bool ReportedInWindow(FirmwareVerdict verdict);

// Whether a module at `moduleVersion` takes the image of `entry`: older than it, and either a 0.x version or
// at least the type's lowest upgradable version.
bool UpgradeDue(std::uint8_t moduleVersion, const FirmwareEntry& entry);

enum class ImageLoad {
    Loaded,
    Unreadable,  // gone, or cannot be opened or read
    Changed,  // not the file the scan judged: another length or other bytes
};

// The image proper (after the 6-byte header) of the file the scan chose for `entry`, read only when it still is
// that file byte for byte.
ImageLoad LoadFirmwareImage(const FirmwareEntry& entry, std::vector<std::uint8_t>& image);

// A firmware file for `type` at `version` holding `image`, with its checksum: what the scan accepts.
std::vector<std::uint8_t> BuildFirmwareFile(std::uint8_t type, std::uint8_t version,
                                            const std::vector<std::uint8_t>& image);

const char* FirmwareVerdictText(FirmwareVerdict verdict);

}  // namespace kelvane
