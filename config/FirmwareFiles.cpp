#include "config/FirmwareFiles.h"

#include "app/ModuleTypes.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

namespace kelvane {
namespace {

constexpr std::array<std::uint8_t, 9> kMinUpgradable{99, 14, 22, 20, 13, 10, 10, 10, 10};
constexpr std::size_t kModelNameLength = 6;

std::optional<std::vector<std::uint8_t>> ReadWholeFile(const std::filesystem::path& path) {
    // Only a plain file is read: reading a folder named in the list throws, and a device such as /dev/zero
    // never ends.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::uint32_t StoredChecksum(const std::vector<std::uint8_t>& file) {
    return static_cast<std::uint32_t>(file[0]) | static_cast<std::uint32_t>(file[1]) << 8 |
           static_cast<std::uint32_t>(file[2]) << 16 | static_cast<std::uint32_t>(file[3]) << 24;
}

std::uint32_t SumFrom(const std::vector<std::uint8_t>& file, std::size_t start) {
    std::uint32_t sum = 0;
    for (std::size_t i = start; i < file.size(); ++i) sum += file[i];
    return sum;
}

// Judges one listed file; `note` gets its type and version when the header could be read.
FirmwareVerdict Judge(const std::string& line, const std::vector<std::uint8_t>& file, FirmwareScanNote& note) {
    if (file.size() <= kFirmwareHeader) return FirmwareVerdict::TooShort;
    if (StoredChecksum(file) != SumFrom(file, 4)) return FirmwareVerdict::BadChecksum;
    note.type = file[4];
    note.version = file[5];
    const std::string model = ModuleTypeName(note.type);
    if (model.empty() || line.compare(0, kModelNameLength, model) != 0) return FirmwareVerdict::NameMismatch;
    // Blocks go out 256 bytes at a time, backwards from the end: a ragged image would be sent from the wrong place.
    const std::size_t imageLength = file.size() - kFirmwareHeader;
    if (note.type != kPlayerType && imageLength % kFirmwareBlock != 0) return FirmwareVerdict::NotWholeBlocks;
    return FirmwareVerdict::Chosen;
}

std::string WithoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    return line;
}

}  // namespace

std::uint8_t MinUpgradableVersion(std::uint8_t type) { return type < kMinUpgradable.size() ? kMinUpgradable[type] : 0; }

FirmwareScan ScanFirmwareFiles(const std::filesystem::path& applicationDirectory) {
    FirmwareScan scan;
    for (std::size_t t = 0; t < kFirmwareTypes; ++t) {
        scan.table[t].MinUpgradableVersion = MinUpgradableVersion(static_cast<std::uint8_t>(t));
    }
    const std::filesystem::path directory = applicationDirectory / "firmware";
    std::ifstream list(directory / kFirmwareListName);
    if (!list) return scan;
    scan.listFound = true;

    for (std::string raw; std::getline(list, raw);) {
        FirmwareScanNote note{WithoutLineEnd(raw), directory / WithoutLineEnd(raw), FirmwareVerdict::Unreadable};
        const auto file = note.line.empty() ? std::nullopt : ReadWholeFile(note.path);
        if (file) note.verdict = Judge(note.line, *file, note);
        if (note.verdict == FirmwareVerdict::Chosen) {
            FirmwareEntry& entry = scan.table[note.type];
            if (note.version > entry.BestVersion) {
                entry.BestVersion = note.version;
                entry.ImagePath = note.path;
                ++scan.FirmwareFilesFound;
            } else {
                note.verdict = FirmwareVerdict::NotNewer;
            }
        }
        scan.notes.push_back(note);
    }
    return scan;
}

bool UpgradeDue(std::uint8_t moduleVersion, const FirmwareEntry& entry) {
    return moduleVersion < entry.BestVersion &&
           (moduleVersion >= entry.MinUpgradableVersion || moduleVersion < 10);
}

std::optional<std::vector<std::uint8_t>> LoadFirmwareImage(const std::filesystem::path& path) {
    auto file = ReadWholeFile(path);
    if (!file || file->size() <= kFirmwareHeader) return std::nullopt;
    file->erase(file->begin(), file->begin() + kFirmwareHeader);
    return file;
}

std::vector<std::uint8_t> BuildFirmwareFile(std::uint8_t type, std::uint8_t version,
                                            const std::vector<std::uint8_t>& image) {
    std::vector<std::uint8_t> file(kFirmwareHeader + image.size());
    file[4] = type;
    file[5] = version;
    std::copy(image.begin(), image.end(), file.begin() + kFirmwareHeader);
    const std::uint32_t sum = SumFrom(file, 4);
    for (int k = 0; k < 4; ++k) file[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(sum >> (8 * k));
    return file;
}

const char* FirmwareVerdictText(FirmwareVerdict verdict) {
    switch (verdict) {
    case FirmwareVerdict::Chosen: return "kept";
    case FirmwareVerdict::NotNewer: return "skipped: an image listed earlier is as new";
    case FirmwareVerdict::Unreadable: return "skipped: cannot be read";
    case FirmwareVerdict::TooShort: return "skipped: 6 bytes or fewer";
    case FirmwareVerdict::BadChecksum: return "skipped: checksum mismatch";
    case FirmwareVerdict::NameMismatch: return "skipped: the name does not start with its type's model name";
    case FirmwareVerdict::NotWholeBlocks: return "skipped: not a whole number of 256-byte blocks";
    }
    return "";
}

}  // namespace kelvane
